# Runs the window gallery into IMAGE_DIR for the user guide. Called with -DGALLERY, -DIMAGE_DIR
# and -DWORK_DIR. Old pictures are removed first so a window the gallery no longer renders does
# not linger in the guide.
file(REMOVE_RECURSE ${IMAGE_DIR})
file(MAKE_DIRECTORY ${IMAGE_DIR})
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/runtime ${WORK_DIR}/resources)
file(CHMOD ${WORK_DIR}/runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
set(ENV{QT_QPA_PLATFORM} offscreen)
set(ENV{XDG_RUNTIME_DIR} ${WORK_DIR}/runtime)
set(ENV{TESK_SMS_RESOURCE_DIR} ${WORK_DIR}/resources)
set(ENV{TESK_SMS_LOG_SYSLOG} 0)
execute_process(COMMAND ${GALLERY} ${IMAGE_DIR}
    RESULT_VARIABLE result
    OUTPUT_QUIET
    ERROR_VARIABLE errors
    TIMEOUT 600)
if(NOT result EQUAL 0)
    message(WARNING "tesk-sms-gallery failed (${result}); the user guide will lack screenshots.\n${errors}")
endif()
file(TOUCH ${IMAGE_DIR}/.gallery-done)
