#include "virtual-modem/virtual_modem.h"

#include "core/log.h"
#include "core/runtime_paths.h"
#include "virtual-modem/at_session.h"
#include "virtual-modem/pty_line.h"
#include "virtual-modem/sms_log.h"

#include <QRandomGenerator>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <deque>
#include <mutex>
#include <thread>

namespace tesk::vmodem {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Upper bound of one poll, so that stop() is noticed quickly.
constexpr int kPollSliceMs = 20;
// How long a hang-up waits for the client to read the last answer before the line drops.
constexpr milliseconds kDrainLimit{3000};

bool isErrorLine(const QByteArray& framed) {
    const QByteArray line = framed.trimmed();
    return line == "ERROR" || line.startsWith("+CMS ERROR") || line.startsWith("+CME ERROR");
}

}  // namespace

struct VirtualModem::Impl final : SessionHost {
    explicit Impl(Config c)
        : config(std::move(c)), random(QRandomGenerator::global()->generate()) {}

    const Config config;

    mutable std::mutex mutex;  // guards everything below up to the service-thread section
    QList<ReceivedSms> received;
    QList<Refusal> refusals;
    QStringList commands;
    int submissions = 0;
    int reportsIssued = 0;
    QList<IncomingSms> injected;  // waiting for the service thread to pass them to the session
    QString devicePath;
    QString announcedPath;

    std::atomic<bool> running{false};
    std::atomic<bool> stopRequested{false};
    std::thread thread;

    // Service thread only (and start() before the thread exists).
    PtyLine line;
    std::unique_ptr<AtSession> session;
    struct Pending {
        Clock::time_point due;
        QByteArray bytes;
    };
    std::deque<Pending> queue;
    bool midAnswer = false;
    bool hangUpRequested = false;
    QRandomGenerator random;

    void send(OutputKind kind, const QByteArray& bytes) override;
    void commandLine(const QString& text) override {
        std::lock_guard lock(mutex);
        commands.append(text);
    }
    void submitted() override {
        std::lock_guard lock(mutex);
        ++submissions;
    }
    void delivered(const ReceivedSms& sms) override;
    void refused(const Refusal& refusal) override;
    void pause(int ms) override;
    void hangUp() override { hangUpRequested = true; }
    void reportIssued() override {
        std::lock_guard lock(mutex);
        ++reportsIssued;
    }
    void appendToLog(const QJsonObject& line);

    QByteArray garbageBytes();
    bool writeDue();
    void waitForDrain();
    void run();
};

void VirtualModem::Impl::send(OutputKind kind, const QByteArray& bytes) {
    Clock::time_point due = Clock::now();
    QByteArray out;
    if (kind != OutputKind::Echo) {
        if (kind != OutputKind::Unsolicited) {  // a line of its own accord answers nothing
            due += milliseconds(config.latencyMs);
        }
        if (kind == OutputKind::Final) {
            due += milliseconds(config.lateAnswerMs);
        }
        if (!midAnswer) {  // once per answer, before its first byte
            if (config.garbage) {
                out += garbageBytes();
            }
            if (config.invalidUtf8) {
                out += "\xC3\x28";  // a lead byte followed by a non-continuation byte
            }
        }
        midAnswer = kind == OutputKind::Info;
    }
    out += bytes;
    if (kind == OutputKind::Final && config.invalidUtf8InsideFinal && isErrorLine(bytes)) {
        out.insert(out.size() - 2, "\xC3\x28");  // inside the line, before its CR LF
    }
    if (!queue.empty()) {
        due = std::max(due, queue.back().due);  // nothing overtakes an answer still to come
    }
    queue.push_back({due, out});
}

void VirtualModem::Impl::pause(int ms) {
    if (ms <= 0) {
        return;
    }
    // An empty entry that falls due later holds back everything queued after it.
    Clock::time_point due = Clock::now();
    if (!queue.empty()) {
        due = std::max(due, queue.back().due);
    }
    queue.push_back({due + milliseconds(ms), {}});
}

QByteArray VirtualModem::Impl::garbageBytes() {
    // High bytes and control characters, but never CR or LF (they would fake line ends) and
    // never Ctrl-Z or ESC.
    static constexpr char kControls[] =
        "\x01\x02\x03\x04\x05\x06\x07\x08\x0B\x0C\x0E\x0F\x10\x11"
        "\x12\x13\x14\x15\x16\x17\x18\x19\x1C\x1D\x1E\x1F";
    QByteArray out;
    const int count = 2 + int(random.bounded(5));
    for (int i = 0; i < count; ++i) {
        if (random.bounded(2) == 0) {
            out.append(char(0x80 + random.bounded(0x80)));
        } else {
            out.append(kControls[random.bounded(int(sizeof(kControls) - 1))]);
        }
    }
    return out;
}

void VirtualModem::Impl::delivered(const ReceivedSms& sms) {
    {
        std::lock_guard lock(mutex);
        received.append(sms);
    }
    appendToLog(SmsToJson(sms));
}

void VirtualModem::Impl::refused(const Refusal& refusal) {
    {
        std::lock_guard lock(mutex);
        refusals.append(refusal);
    }
    appendToLog(RefusalToJson(refusal));
}

void VirtualModem::Impl::appendToLog(const QJsonObject& line) {
    if (config.logPath.isEmpty()) {
        return;
    }
    QString error;
    if (!AppendJsonLine(config.logPath, line, &error)) {
        log::write(QStringLiteral("virtual modem %1: cannot append to %2: %3")
                       .arg(config.name, config.logPath, error));
    }
}

// Writes what is due; false when the line is gone.
bool VirtualModem::Impl::writeDue() {
    const auto now = Clock::now();
    while (!queue.empty() && queue.front().due <= now) {
        QByteArray& bytes = queue.front().bytes;
        if (bytes.isEmpty()) {  // a pause that is over
            queue.pop_front();
            continue;
        }
        const ssize_t n = ::write(line.master(), bytes.constData(), size_t(bytes.size()));
        if (n < 0) {
            return errno == EAGAIN || errno == EINTR;  // full: the client is not reading yet
        }
        bytes.remove(0, n);
        if (bytes.isEmpty()) {
            queue.pop_front();
        }
    }
    return true;
}

void VirtualModem::Impl::waitForDrain() {
    // Bytes written to the master reach the slave's input queue a moment later; require the
    // queue to be seen empty twice in a row.
    const auto limit = Clock::now() + kDrainLimit;
    int emptyChecks = 0;
    while (emptyChecks < 2 && Clock::now() < limit && !stopRequested) {
        std::this_thread::sleep_for(milliseconds(10));
        emptyChecks = line.unreadBytes() == 0 ? emptyChecks + 1 : 0;
    }
}

void VirtualModem::Impl::run() {
    char buffer[512];
    while (!stopRequested) {
        int timeout = kPollSliceMs;
        if (!queue.empty()) {
            const auto wait =
                std::chrono::duration_cast<milliseconds>(queue.front().due - Clock::now());
            timeout = int(std::clamp<milliseconds::rep>(wait.count() + 1, 0, kPollSliceMs));
        }
        pollfd p{line.master(), POLLIN, 0};
        if (!queue.empty() && queue.front().due <= Clock::now()) {
            p.events |= POLLOUT;
            timeout = 0;
        }
        if (::poll(&p, 1, timeout) < 0 && errno != EINTR) {
            break;
        }
        if (p.revents & (POLLERR | POLLNVAL)) {
            break;
        }
        if (p.revents & POLLIN) {
            const ssize_t n = ::read(line.master(), buffer, sizeof buffer);
            if (n > 0) {
                session->feed(QByteArray(buffer, n));
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                break;
            }
        }
        QList<IncomingSms> arrived;
        {
            std::lock_guard lock(mutex);
            arrived.swap(injected);
        }
        for (const IncomingSms& sms : arrived) {
            session->arrive(sms);
        }
        session->tick();
        if (!writeDue()) {
            break;
        }
        if (hangUpRequested && queue.empty()) {
            waitForDrain();
            break;
        }
    }
    line.close();
    running = false;
}

VirtualModem::VirtualModem(Config config) : impl_(std::make_unique<Impl>(std::move(config))) {}

VirtualModem::~VirtualModem() {
    stop();
}

bool VirtualModem::start(QString* error) {
    if (impl_->running) {
        return true;
    }
    stop();  // joins a service thread that ended by itself (hang-up)
    QString why;
    const QString& name = impl_->config.name;
    if (impl_->config.announce && (name.isEmpty() || name.contains(QLatin1Char('/')))) {
        if (error) {
            *error = QStringLiteral("invalid modem name \"%1\"").arg(name);
        }
        return false;
    }
    // Whoever may write to the announcement folder could put their own terminal in our place.
    if (impl_->config.announce && !Make_Virtual_Modem_Dir(&why)) {
        if (error) {
            *error = QStringLiteral("cannot announce the modem: %1").arg(why);
        }
        return false;
    }
    const QString link = impl_->config.announce
                             ? Virtual_Modem_Dir() + QStringLiteral("/tty") + impl_->config.name
                             : QString();
    if (!impl_->line.open(link, &why)) {
        if (error) {
            *error = why;
        }
        return false;
    }
    {
        std::lock_guard lock(impl_->mutex);
        impl_->devicePath = impl_->line.slavePath();
        impl_->announcedPath = impl_->line.linkPath();
    }
    impl_->session = std::make_unique<AtSession>(impl_->config, *impl_);
    impl_->queue.clear();
    impl_->midAnswer = false;
    impl_->hangUpRequested = false;
    impl_->stopRequested = false;
    impl_->running = true;
    impl_->thread = std::thread([this] { impl_->run(); });
    return true;
}

void VirtualModem::stop() {
    impl_->stopRequested = true;
    if (impl_->thread.joinable()) {
        impl_->thread.join();
    }
    impl_->line.close();
    impl_->running = false;
}

bool VirtualModem::running() const {
    return impl_->running;
}

QString VirtualModem::devicePath() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->devicePath;
}

QString VirtualModem::announcedPath() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->announcedPath;
}

QString VirtualModem::portPath() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->announcedPath.isEmpty() ? impl_->devicePath : impl_->announcedPath;
}

// The lists handed out are copies of their own, made under the lock: a list still shared with
// the modem's thread would be reallocated there after a reference-count check that does not
// order this thread's reads before it.
QList<ReceivedSms> VirtualModem::received() const {
    std::lock_guard lock(impl_->mutex);
    QList<ReceivedSms> copy = impl_->received;
    copy.detach();
    return copy;
}

QStringList VirtualModem::commands() const {
    std::lock_guard lock(impl_->mutex);
    QStringList copy = impl_->commands;
    copy.detach();
    return copy;
}

int VirtualModem::submissions() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->submissions;
}

void VirtualModem::injectIncoming(const IncomingSms& sms) {
    std::lock_guard lock(impl_->mutex);
    impl_->injected.append(sms);
}

int VirtualModem::reportsIssued() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->reportsIssued;
}

QList<Refusal> VirtualModem::refusals() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->refusals;
}

}  // namespace tesk::vmodem
