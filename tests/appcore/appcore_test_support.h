#pragma once
// Shared pieces of the application-core suites: environment overrides that undo themselves and
// a view that writes down everything the controllers ask of the screen.
#include "appcore/app_delegate.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tesk::test {

// Sets (or, with nullopt, unsets) one environment variable for the scope.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, std::optional<QString> value)
        : name_(name), set_(qEnvironmentVariableIsSet(name)), previous_(qgetenv(name)) {
        value ? void(qputenv(name, value->toLocal8Bit())) : void(qunsetenv(name));
    }
    ~ScopedEnv() { set_ ? void(qputenv(name_, previous_)) : void(qunsetenv(name_)); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    bool set_;
    QByteArray previous_;
};

// Records the composer and application calls as readable lines.
class RecordingAppView : public AppView {
  public:
    void Show_Composer(int mode) override { log.append(QStringLiteral("composer %1").arg(mode)); }
    void Set_Device_Combo(int mode, const QStringList& entries, int selected) override {
        log.append(
            QStringLiteral("combo %1 [%2] %3").arg(mode).arg(entries.join(',')).arg(selected));
    }
    void Set_Device_Label(int mode, const QString& text) override {
        log.append(QStringLiteral("label %1 %2").arg(mode).arg(text));
    }
    void Set_No_Device_Notice_Visible(int mode, bool visible) override {
        log.append(QStringLiteral("notice %1 %2").arg(mode).arg(visible ? "shown" : "hidden"));
    }
    int Run_Mobile_Selection_Window() override {
        log.append(QStringLiteral("mode window"));
        return modeWindow ? modeWindow() : kEndCancel;
    }
    void Terminate_Application() override { log.append(QStringLiteral("terminate")); }

    QStringList log;
    std::function<int()> modeWindow;  // what the mode window does; cancelled when unset
};

}  // namespace tesk::test
