#include "HelpWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "SysUtils.h"

namespace {

constexpr qint64 MaxPageSize = 1024 * 1024;

QString TopicPath(const QString& helpDir, const QString& file, int context) {
    static const QRegularExpression plainName(QStringLiteral("^[a-z0-9_-]+$"));
    const QString name = QFileInfo(file).completeBaseName().toLower();
    if (context <= 0 || !plainName.match(name).hasMatch() || file.contains(u'/')) return QString();
    return QDir(helpDir).filePath(QStringLiteral("%1/%2.html").arg(name).arg(context));
}

}  // namespace

QString ReadHelpTopic(const QString& helpDir, const QString& file, int context) {
    const QString path = TopicPath(helpDir, file, context);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        throw Exception(
            QStringLiteral("Não há ajuda para este assunto: o tópico %1 do arquivo de ajuda \"%2\" "
                           "não foi encontrado na pasta \"%3\".")
                .arg(context)
                .arg(file, QDir::toNativeSeparators(helpDir)));
    QFile page(path);
    if (page.size() > MaxPageSize)
        throw Exception(
            QStringLiteral("A página de ajuda \"%1\" é grande demais (mais de 1 MiB).").arg(path));
    if (!page.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("A página de ajuda \"%1\" não pôde ser lida: %2")
                            .arg(path, page.errorString()));
    return QString::fromUtf8(page.read(MaxPageSize));
}

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this)) {
    browser_->setOpenLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(640, 560);
}

void HelpWindow::ShowPage(const QString& html) {
    browser_->setHtml(html);
    setWindowTitle(QStringLiteral("Ajuda - %1").arg(PageTitle()));
    show();
    raise();
    activateWindow();
}

QString HelpWindow::PageTitle() const { return browser_->documentTitle(); }

QString HelpWindow::PageText() const { return browser_->toPlainText(); }
