# Installation for one user (the start command installs into ~/.local): the programs, the
# desktop entry and its icon, and the resource directory with the help document and the
# companion package. The data directory is never touched: it is created by the
# application at its first start and outlives an uninstall.
include(GNUInstallDirs)

set(TESK_INSTALL_BINDIR "${CMAKE_INSTALL_FULL_BINDIR}")
configure_file(${PROJECT_SOURCE_DIR}/resources/tesk-sms.desktop.in
    ${PROJECT_BINARY_DIR}/resources/tesk-sms.desktop @ONLY)

# The virtual modem and the fake adb are there for rehearsals without SIM, phone or cost.
set(tesk_programs tesk-sms-cli tesk-virtual-modem tesk-fake-adb)
if(TARGET tesk-sms)
    list(PREPEND tesk_programs tesk-sms)
    install(FILES ${PROJECT_BINARY_DIR}/resources/tesk-sms.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/tesk-sms.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
foreach(program IN LISTS tesk_programs)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()

# The resource directory the application looks in by default.
set(TESK_RESOURCE_DESTINATION ${CMAKE_INSTALL_DATADIR}/tesk-sms)
install(FILES ${PROJECT_BINARY_DIR}/resources/Help.pdf
    DESTINATION ${TESK_RESOURCE_DESTINATION} OPTIONAL)
# The companion package built from android/companion; a package dropped into resources/ by
# hand stands in for it on a machine without the Android build tools.
if(TARGET companion_apk)
    get_target_property(tesk_companion_apk companion_apk TESK_APK_FILE)
    install(FILES ${tesk_companion_apk} DESTINATION ${TESK_RESOURCE_DESTINATION})
else()
    install(FILES ${PROJECT_SOURCE_DIR}/resources/RUZIVeruDIR.apk
        DESTINATION ${TESK_RESOURCE_DESTINATION} OPTIONAL)
endif()
# The application runs the system's adb from its resource directory.
install(CODE "
    find_program(TESK_SYSTEM_ADB adb PATHS /usr/bin /usr/lib/android-sdk/platform-tools)
    set(link \"\$ENV{DESTDIR}${CMAKE_INSTALL_FULL_DATADIR}/tesk-sms/adb\")
    if(TESK_SYSTEM_ADB)
        file(MAKE_DIRECTORY \"\$ENV{DESTDIR}${CMAKE_INSTALL_FULL_DATADIR}/tesk-sms\")
        file(CREATE_LINK \"\${TESK_SYSTEM_ADB}\" \"\${link}\" SYMBOLIC)
        message(STATUS \"Linking: \${link} -> \${TESK_SYSTEM_ADB}\")
    else()
        message(STATUS \"No adb on this machine: the Android mode will not find a phone.\")
    endif()
")

# Removes what the last install put in place (install_manifest.txt) and the adb link; the data
# directory stays.
add_custom_target(uninstall
    COMMAND ${CMAKE_COMMAND}
        -DMANIFEST=${PROJECT_BINARY_DIR}/install_manifest.txt
        -DADB_LINK=${CMAKE_INSTALL_FULL_DATADIR}/tesk-sms/adb
        -P ${PROJECT_SOURCE_DIR}/cmake/uninstall.cmake
    COMMENT "Removing the installed files (the data directory stays)")
