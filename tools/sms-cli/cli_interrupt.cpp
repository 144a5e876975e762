#include "sms-cli/cli_interrupt.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace tesk::cli {
namespace {

int wakeFds[2] = {-1, -1};

extern "C" void onStopSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(wakeFds[1], &byte, 1);
    // The next signal of either kind ends the program the ordinary way.
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    errno = saved;
}

void install(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

InterruptWatch::InterruptWatch() {
    if (wakeFds[0] < 0 && pipe2(wakeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        wakeFds[0] = wakeFds[1] = -1;
        return;  // without the pipe the signals keep their default effect
    }
    notifier_ = std::make_unique<QSocketNotifier>(wakeFds[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { drain(); });
    install(onStopSignal);
}

InterruptWatch::~InterruptWatch() {
    install(SIG_DFL);
    notifier_.reset();
}

void InterruptWatch::drain() {
    char bytes[16];
    int received = 0;
    for (ssize_t n; (n = read(wakeFds[0], bytes, sizeof bytes)) > 0;) {
        received += static_cast<int>(n);
    }
    for (int i = 0; i < received; ++i) {
        interrupted_ = true;
        if (handler_) {
            handler_();
        }
    }
}

}  // namespace tesk::cli
