#include "SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cerrno>
#include <ctime>

#include "SysUtils.h"
#include "SystemError.h"

namespace {

// Writes to a file descriptor through a buffer of its own and keeps the
// first system error as an errno value: QFile would only keep the system's
// English text, and Qt 6.4's QSaveFile::commit() can even report success
// after its last buffered write failed.
class DescriptorDevice : public QIODevice {
public:
    explicit DescriptorDevice(int fd) : fd_(fd) { open(QIODevice::WriteOnly); }
    bool isSequential() const override { return true; }
    int Error() const { return error_; }
    qint64 Written() const { return written_; }

    // Sends the buffer to the file; false, with Error() set, on failure.
    bool Drain() {
        if (error_ == 0) error_ = WriteAll(fd_, buffer_.constData(), buffer_.size(), &written_);
        buffer_.clear();
        return error_ == 0;
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        if (error_ != 0) return -1;
        buffer_.append(data, static_cast<qsizetype>(size));
        if (buffer_.size() >= kBufferSize && !Drain()) return -1;
        return size;
    }

private:
    static constexpr qsizetype kBufferSize = 1 << 16;
    int fd_;
    int error_ = 0;
    qint64 written_ = 0;
    QByteArray buffer_;
};

QByteArray Native(const QString& path) { return QFile::encodeName(path); }

// How many names a claim tries before it gives up.
constexpr int kMaxClaims = 100000;

// ".<target or novo>.<eight hex digits>.tmp", as CreateTemporary names them.
// Joined, not formatted: a "%1" in a target's name is no placeholder.
QString TemporaryName(const QString& stem) {
    return u'.' + stem + u'.' +
           QStringLiteral("%1").arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0')) +
           QStringLiteral(".tmp");
}

bool IsTemporaryName(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^\\..+\\.[0-9a-f]{8}\\.tmp$"));
    return pattern.match(name).hasMatch();
}

}  // namespace

struct SafeFile::State {
    QString target;                       // empty for a claim until Commit
    QString dir;                          // the folder written into
    std::function<QString(int)> nameFor;  // set for a claim
    QString temporary;
    int fd = -1;
    std::unique_ptr<DescriptorDevice> device;
    bool committed = false;
    bool writtenByName = false;  // PathForWriter: another writer filled the file

    ~State() { Discard(); }

    // The path the messages name: the file, or the folder of a claim.
    QString Shown() const { return QDir::toNativeSeparators(target.isEmpty() ? dir : target); }

    [[noreturn]] void Fail(int error) {
        Discard();
        throw Exception(
            QStringLiteral("Não foi possível gravar %1: %2.").arg(Shown(), SystemReason(error)));
    }

    void Discard() {
        if (committed) return;
        device.reset();
        if (fd >= 0) ::close(fd);
        fd = -1;
        if (!temporary.isEmpty()) ::unlink(Native(temporary).constData());
        temporary.clear();
    }

    void CreateTemporary(const QString& stem) {
        const QDir folder(dir);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QString path = folder.filePath(TemporaryName(stem));
            fd = ::open(Native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                temporary = path;
                device = std::make_unique<DescriptorDevice>(fd);
                return;
            }
            if (errno != EEXIST) Fail(errno);
        }
        Fail(EEXIST);
    }

    // Keeps the mode of the file being replaced, as an editor would.
    void KeepModeOf(const QString& path) const {
        struct stat existing {};
        if (::stat(Native(path).constData(), &existing) == 0)
            ::fchmod(fd, existing.st_mode & 07777);
    }

    void Settle() {
        if (!device->Drain()) Fail(device->Error());
        if (::fsync(fd) != 0) Fail(errno);
        struct stat written {};
        if (::fstat(fd, &written) != 0) Fail(errno);
        if (!writtenByName && written.st_size != device->Written()) Fail(EIO);
        device.reset();
        const int closing = ::close(fd);
        fd = -1;
        if (closing != 0) Fail(errno);
    }

    void Replace() {
        if (::rename(Native(temporary).constData(), Native(target).constData()) != 0) Fail(errno);
    }

    void Claim() {
        const QDir folder(dir);
        for (int n = 1; n <= kMaxClaims; ++n) {
            const QString path = folder.filePath(nameFor(n));
            if (::link(Native(temporary).constData(), Native(path).constData()) == 0) {
                ::unlink(Native(temporary).constData());
                target = path;
                return;
            }
            if (errno == EEXIST) continue;
            if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS && errno != EMLINK)
                Fail(errno);
            if (ClaimWithoutLinks(path)) return;
        }
        Fail(EEXIST);
    }

    // File systems without hard links: an exclusive create holds the name,
    // then the finished file replaces that empty placeholder.
    bool ClaimWithoutLinks(const QString& path) {
        const int held =
            ::open(Native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (held < 0) {
            if (errno == EEXIST) return false;
            Fail(errno);
        }
        ::close(held);
        if (::rename(Native(temporary).constData(), Native(path).constData()) != 0) {
            const int error = errno;
            ::unlink(Native(path).constData());
            Fail(error);
        }
        target = path;
        return true;
    }

    // So that the new name survives a power cut as well as the contents.
    void SyncFolder() const {
        const int folder = ::open(Native(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder < 0) return;
        ::fsync(folder);
        ::close(folder);
    }
};

SafeFile::SafeFile(std::unique_ptr<State> state) : d_(std::move(state)) {}

SafeFile::SafeFile(const QString& target) : d_(std::make_unique<State>()) {
    const QFileInfo info(target);
    d_->target = info.absoluteFilePath();
    d_->dir = info.absolutePath();
    d_->CreateTemporary(info.fileName());
    d_->KeepModeOf(d_->target);
}

SafeFile SafeFile::ClaimNew(const QString& dir, std::function<QString(int n)> nameFor) {
    auto state = std::make_unique<State>();
    state->dir = QFileInfo(dir).absoluteFilePath();
    state->nameFor = std::move(nameFor);
    state->CreateTemporary(QStringLiteral("novo"));
    return SafeFile(std::move(state));
}

int SafeFile::RemoveLeftovers(const QString& dir, std::chrono::seconds age) {
    if (dir.isEmpty()) return 0;
    const QDir folder(dir);
    const time_t before = ::time(nullptr) - static_cast<time_t>(age.count());
    int removed = 0;
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!IsTemporaryName(name)) continue;
        const QByteArray path = Native(folder.filePath(name));
        struct stat info {};
        if (::lstat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        if (info.st_uid != ::geteuid() || info.st_mtime >= before) continue;
        if (::unlink(path.constData()) == 0) ++removed;
    }
    return removed;
}

SafeFile::SafeFile(SafeFile&&) noexcept = default;
SafeFile& SafeFile::operator=(SafeFile&&) noexcept = default;
SafeFile::~SafeFile() = default;

QIODevice& SafeFile::Device() { return *d_->device; }

QString SafeFile::PathForWriter() {
    d_->writtenByName = true;
    return d_->temporary;
}

QString SafeFile::Target() const { return d_->target; }

void SafeFile::Commit() {
    if (d_->committed) return;
    if (!d_->device) d_->Fail(EBADF);
    d_->Settle();
    if (d_->nameFor)
        d_->Claim();
    else
        d_->Replace();
    d_->committed = true;
    d_->temporary.clear();
    d_->SyncFolder();
}
