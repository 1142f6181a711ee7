#include "HelpWindow.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <cerrno>

#include "BoundedFile.h"
#include "SysUtils.h"

namespace {

constexpr qint64 MaxPageSize = 1024 * 1024;
constexpr qint64 MaxResourceSize = 4 * 1024 * 1024;
constexpr qsizetype MaxDataAddress = 1024 * 1024;

QString TopicPath(const QString& helpDir, const QString& file, int context) {
    static const QRegularExpression plainName(QStringLiteral("^[a-z0-9_-]+$"));
    const QString name = QFileInfo(file).completeBaseName().toLower();
    if (context <= 0 || !plainName.match(name).hasMatch() || file.contains(u'/')) return QString();
    return QDir(helpDir).filePath(QStringLiteral("%1/%2.html").arg(name).arg(context));
}

// Whether anything, of any kind, is at `path` (a dangling link is nothing).
bool Exists(const QString& path) {
    struct stat info {};
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &info) == 0;
}

// The bytes of a data: address ("data:image/png;base64,...").
QByteArray DataAddressBytes(const QUrl& url) {
    const QString text = url.toString(QUrl::FullyEncoded);
    const qsizetype comma = text.indexOf(u',');
    if (comma < 0 || text.size() > MaxDataAddress) return {};
    const QByteArray payload = text.mid(comma + 1).toLatin1();
    return text.left(comma).endsWith(QLatin1String(";base64"))
               ? QByteArray::fromBase64(QByteArray::fromPercentEncoding(payload))
               : QByteArray::fromPercentEncoding(payload);
}

}  // namespace

// Fetches a page's images and style sheets from the help folder only.
class HelpBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    void SetFolders(const QString& helpDir, const QString& pageDir) {
        helpDir_ = QFileInfo(helpDir).canonicalFilePath();
        pageDir_ = pageDir;
    }

    // Never nothing: given an invalid QVariant, QTextDocument opens the file
    // itself, and given a null image, Qt's image handler loads the name
    // itself, whatever it is. An image not fetched is one transparent pixel.
    QVariant loadResource(int type, const QUrl& name) override {
        const QVariant nothing =
            type == QTextDocument::ImageResource ? QVariant(Transparent()) : QVariant(QString());
        if (type != QTextDocument::ImageResource && type != QTextDocument::StyleSheetResource)
            return nothing;
        QByteArray bytes;
        if (name.scheme() == QLatin1String("data")) {
            bytes = DataAddressBytes(name);
        } else {
            const QString path = InsideHelp(name);
            if (path.isEmpty()) return nothing;
            try {
                bytes = ReadRegularFile(path, MaxResourceSize);
            } catch (const EFileRead&) {
                return nothing;
            }
        }
        if (type == QTextDocument::StyleSheetResource) return QString::fromUtf8(bytes);
        const QImage image = QImage::fromData(bytes);  // bytes of no image too must not be null
        return image.isNull() ? nothing : QVariant(image);
    }

private:
    static QImage Transparent() {
        QImage pixel(1, 1, QImage::Format_ARGB32);
        pixel.fill(Qt::transparent);
        return pixel;
    }

    // The file `name` stands for, when it lies inside the help folder once
    // every link is followed; else "".
    QString InsideHelp(const QUrl& name) const {
        if (helpDir_.isEmpty() || (!name.scheme().isEmpty() && !name.isLocalFile())) return {};
        const QString given = name.isLocalFile() ? name.toLocalFile() : name.path();
        if (given.isEmpty()) return {};
        const QString path = QFileInfo(QDir(pageDir_), given).canonicalFilePath();
        return path.startsWith(helpDir_ + u'/') ? path : QString();
    }

    QString helpDir_;
    QString pageDir_;
};

HelpPage ReadHelpTopic(const QString& helpDir, const QString& file, int context) {
    const QString path = TopicPath(helpDir, file, context);
    if (!Exists(path))
        throw Exception(
            QStringLiteral("Não há ajuda para este assunto: o tópico %1 do arquivo de ajuda \"%2\" "
                           "não foi encontrado na pasta \"%3\".")
                .arg(context)
                .arg(file, QDir::toNativeSeparators(helpDir)));
    try {
        return {path, QString::fromUtf8(ReadRegularFile(path, MaxPageSize))};
    } catch (const EFileRead& e) {
        throw Exception(QStringLiteral("A página de ajuda \"%1\" não pôde ser lida: %2.")
                            .arg(QDir::toNativeSeparators(path), e.Reason()));
    }
}

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), browser_(new HelpBrowser(this)) {
    browser_->setOpenLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(640, 560);
}

void HelpWindow::ShowPage(const HelpPage& page, const QString& helpDir) {
    browser_->SetFolders(helpDir, QFileInfo(page.path).absolutePath());
    browser_->document()->clear();  // forgets the resources of the page before
    browser_->setHtml(page.html);
    setWindowTitle(QStringLiteral("Ajuda - %1").arg(PageTitle()));
    show();
    if (!placed_ && parentWidget()) {
        Place(*parentWidget()->window());
        placed_ = true;
    }
    raise();
    activateWindow();
}

// Once shown, the window's frame is known (where the window manager has
// already put one) and is kept inside the screen with it.
void HelpWindow::Place(const QWidget& main) {
    const QScreen* screen = main.screen();
    if (!screen) return;
    const QSize frame = frameGeometry().size() - geometry().size();
    const QRect placed =
        PlaceBeside(main.frameGeometry(), screen->availableGeometry(), frameGeometry().size());
    resize(placed.size() - frame);
    move(placed.topLeft());
}

void HelpWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

QRect HelpWindow::PlaceBeside(const QRect& main, const QRect& available, const QSize& size) {
    const QSize fitting = size.boundedTo(available.size());
    QRect placed(QPoint(main.right() + 1, main.top()), fitting);
    if (placed.right() > available.right()) placed.moveRight(main.left() - 1);
    if (placed.left() < available.left()) placed.moveRight(available.right());
    if (placed.bottom() > available.bottom()) placed.moveBottom(available.bottom());
    if (placed.top() < available.top()) placed.moveTop(available.top());
    return placed;
}

QString HelpWindow::PageTitle() const { return browser_->documentTitle(); }

QString HelpWindow::PageText() const { return browser_->toPlainText(); }
