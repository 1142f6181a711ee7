#include "ReportPreview.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include "Events.h"
#include "Forms.h"
#include "PreviewPages.h"
#include "PreviewSidePanel.h"
#include "ReportExport.h"
#include "ReportFind.h"
#include "ReportJob.h"

namespace {

// The screen a preview over `host` was opened from: a screen window of its
// own, or else the current screen of the host's MDI area.
const TForm* ScreenUnder(QWidget* host) {
    for (QWidget* widget = host; widget; widget = widget->parentWidget())
        if (const auto* form = dynamic_cast<const TForm*>(widget)) return form;
    const QMdiArea* area = Application->MdiArea();
    const QMdiSubWindow* current = area ? area->currentSubWindow() : nullptr;
    return current ? dynamic_cast<const TForm*>(current->widget()) : nullptr;
}

}  // namespace

// No parent: a window of its own, which the host's window may cover and
// which outlives the screen it came from.
ReportPreview::ReportPreview(std::unique_ptr<ReportJob> job, Actions actions, QWidget* host)
    : QDialog(nullptr, Qt::Window), ownJob_(std::move(job)), job_(*ownJob_), actions_(std::move(actions)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Visualização - %1").arg(ReportExport::DisplayName(job_.Report(), job_.Params())));
    if (const TForm* screen = ScreenUnder(host)) {
        helpFile_ = screen->HelpFile();
        helpContext_ = screen->HelpContext();
    }
    const ReportRenderer& renderer = job_.Renderer();
    pages_ = new PreviewPages(renderer.PageLayout().fullRect(QPageLayout::Millimeter).size(),
                              [&renderer](int page, int dpi) { return renderer.PageImage(page, dpi); }, this);
    status_ = new QLabel(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    auto* body = new QSplitter(this);
    side_ = new PreviewSidePanel(job_, *pages_, body);
    body->addWidget(side_);
    body->addWidget(pages_);
    body->setStretchFactor(1, 1);
    BuildToolBar(*layout);
    layout->addWidget(body, 1);
    find_ = new ReportFind(job_.Report(), renderer.Data(), this);
    BuildFindBar(*layout);
    layout->addWidget(status_);
    status_->setContentsMargins(8, 0, 8, 0);
    connect(pages_, &PreviewPages::CurrentPageChanged, this, &ReportPreview::ShowCurrentPage);
    connect(pages_, &PreviewPages::ScaleChanged, this, &ReportPreview::ShowScale);
    connect(&job_.Worker(), &ReportWorker::Progressed, this, &ReportPreview::Refresh);
    connect(&job_.Worker(), &ReportWorker::Finished, this, &ReportPreview::Refresh);
    FitToHost(host);
    Refresh();
    pages_->setFocus();
}

// What shows the job's pages and rows goes before the job.
ReportPreview::~ReportPreview() {
    const QList<QWidget*> parts = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    qDeleteAll(parts);
}

QAction* ReportPreview::AddAction(const QString& text, const QKeySequence& key, const std::function<void()>& run,
                                  QStyle::StandardPixmap icon) {
    auto* action = new QAction(text, this);
    if (icon != QStyle::SP_CustomBase) action->setIcon(style()->standardIcon(icon));
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    if (!key.isEmpty())
        action->setToolTip(QStringLiteral("%1 (%2)").arg(text, key.toString(QKeySequence::NativeText)));
    connect(action, &QAction::triggered, this, [run] { Dispatch(run); });
    addAction(action);
    return action;
}

// Buttons with an image show only it (its name in the tooltip); the others
// show their text.
void ReportPreview::BuildToolBar(QLayout& layout) {
    auto* bar = new QToolBar(this);
    bar->setAccessibleName(QStringLiteral("Ferramentas da visualização"));
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    QAction* panel = AddAction(QStringLiteral("Painel lateral"), QKeySequence(Qt::Key_F4), [this] { side_->Toggle(); },
                               QStyle::SP_FileDialogListView);
    side_->Follow(*panel);
    bar->addAction(panel);
    AddAction(QStringLiteral("Alternar entre o painel e as páginas"), QKeySequence(Qt::Key_F6),
              [this] { side_->SwitchFocus(); });
    AddNavigation(*bar);
    bar->addSeparator();
    AddZoom(*bar);
    bar->addSeparator();
    print_ = AddAction(QStringLiteral("Imprimir..."), QKeySequence::Print,
                       [this] { actions_.print(pages_->CurrentPage()); });
    savePdf_ = AddAction(QStringLiteral("Salvar em PDF..."), QKeySequence::Save,
                         [this] { actions_.savePdf(pages_->CurrentPage()); });
    export_ = AddAction(QStringLiteral("Exportar..."), QKeySequence(Qt::CTRL | Qt::Key_E),
                        [this] { actions_.exportData(); });
    bar->addAction(print_);
    bar->addAction(savePdf_);
    bar->addAction(export_);
    bar->addSeparator();
    bar->addAction(AddAction(QStringLiteral("Fechar"), {}, [this] { reject(); }));
    AddAction(QStringLiteral("Ajuda"), QKeySequence(Qt::Key_F1), [this] { ShowHelp(); });
    layout.addWidget(bar);
}

void ReportPreview::AddNavigation(QToolBar& bar) {
    bar.addAction(AddAction(QStringLiteral("Primeira página"), QKeySequence(Qt::CTRL | Qt::Key_Home),
                            [this] { pages_->GoToPage(1); }, QStyle::SP_MediaSkipBackward));
    bar.addAction(AddAction(QStringLiteral("Página anterior"), QKeySequence(Qt::Key_PageUp),
                            [this] { pages_->GoToPage(pages_->CurrentPage() - 1); }, QStyle::SP_ArrowLeft));
    auto* pageLabel = new QLabel(QStringLiteral(" Página "), &bar);
    bar.addWidget(pageLabel);
    pageNumber_ = new QLineEdit(&bar);
    pageLabel->setBuddy(pageNumber_);
    pageNumber_->setAccessibleName(QStringLiteral("Página"));
    pageNumber_->setValidator(new QIntValidator(1, 999999999, pageNumber_));
    pageNumber_->setFixedWidth(pageNumber_->fontMetrics().horizontalAdvance(QStringLiteral("9999999")) + 12);
    pageNumber_->setAlignment(Qt::AlignRight);
    pageNumber_->setToolTip(QStringLiteral("Ir para a página (Ctrl+G)"));
    connect(pageNumber_, &QLineEdit::returnPressed, this, [this] {
        pages_->GoToPage(pageNumber_->text().toInt());
        pages_->setFocus();
    });
    bar.addWidget(pageNumber_);
    pageCount_ = new QLabel(&bar);
    pageCount_->setFixedWidth(pageCount_->fontMetrics().horizontalAdvance(QStringLiteral(" de 999.999.999 ")));
    bar.addWidget(pageCount_);
    AddAction(QStringLiteral("Ir para a página"), QKeySequence(Qt::CTRL | Qt::Key_G), [this] {
        pageNumber_->setFocus();
        pageNumber_->selectAll();
    });
    bar.addAction(AddAction(QStringLiteral("Próxima página"), QKeySequence(Qt::Key_PageDown),
                            [this] { pages_->GoToPage(pages_->CurrentPage() + 1); }, QStyle::SP_ArrowRight));
    bar.addAction(AddAction(QStringLiteral("Última página"), QKeySequence(Qt::CTRL | Qt::Key_End),
                            [this] { pages_->GoToPage(pages_->PageCount()); }, QStyle::SP_MediaSkipForward));
}

// The zoom's three settings in a list; another zoom (Ctrl+wheel, Ampliar,
// Reduzir) shows its percentage in the list, in the list's placeholder, so
// the list always says what is on view and the arrow keys still start from
// its first entry. Its width, and the labels', are fixed
// for their widest text, so the toolbar never shifts as they change.
void ReportPreview::AddZoom(QToolBar& bar) {
    zoomMode_ = new QComboBox(&bar);
    zoomMode_->addItems({QStringLiteral("Ajustar à largura"), QStringLiteral("Página inteira"), QStringLiteral("100%")});
    zoomMode_->setToolTip(QStringLiteral("Zoom"));
    zoomMode_->setFixedWidth(zoomMode_->sizeHint().width());
    zoomMode_->setAccessibleName(QStringLiteral("Zoom"));
    connect(zoomMode_, &QComboBox::activated, this, [this](int index) {
        if (index == 0) pages_->SetZoom(PreviewPages::Zoom::FitWidth);
        if (index == 1) pages_->SetZoom(PreviewPages::Zoom::WholePage);
        if (index == 2) pages_->SetScale(1.0);
        pages_->setFocus();
    });
    bar.addWidget(zoomMode_);
    bar.addAction(AddAction(QStringLiteral("Reduzir"), QKeySequence::ZoomOut, [this] { pages_->ZoomBy(1 / 1.25); }));
    bar.addAction(AddAction(QStringLiteral("Ampliar"), QKeySequence::ZoomIn, [this] { pages_->ZoomBy(1.25); }));
    AddAction(QStringLiteral("Ampliar"), QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { pages_->ZoomBy(1.25); });
    ZoomIcons(bar);
    scale_ = new QLabel(&bar);
    scale_->setFixedWidth(scale_->fontMetrics().horizontalAdvance(QStringLiteral(" 9999% ")));
    bar.addWidget(scale_);
}

// A magnifier with + or -, where the desktop's theme has no zoom icons: the
// arrows are page navigation's.
namespace {
QIcon MagnifierIcon(bool in, const QColor& ink) {
    QIcon icon;
    for (const int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const double unit = size / 16.0;
        painter.setPen(QPen(ink, 1.5 * unit));
        painter.drawEllipse(QRectF(1.5 * unit, 1.5 * unit, 9 * unit, 9 * unit));
        painter.drawLine(QPointF(6 * unit, 4 * unit + (in ? 0 : 2 * unit)), QPointF(6 * unit, 8 * unit - (in ? 0 : 2 * unit)));
        painter.drawLine(QPointF(4 * unit, 6 * unit), QPointF(8 * unit, 6 * unit));
        painter.setPen(QPen(ink, 2.5 * unit, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(10 * unit, 10 * unit), QPointF(14.5 * unit, 14.5 * unit));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
}  // namespace

void ReportPreview::ZoomIcons(QToolBar& bar) {
    const QColor ink = palette().color(QPalette::WindowText);
    for (QAction* action : bar.actions()) {
        if (action->text() == QStringLiteral("Ampliar"))
            action->setIcon(QIcon::fromTheme(QStringLiteral("zoom-in"), MagnifierIcon(true, ink)));
        if (action->text() == QStringLiteral("Reduzir"))
            action->setIcon(QIcon::fromTheme(QStringLiteral("zoom-out"), MagnifierIcon(false, ink)));
    }
}

// Pages laid out so far, and the count once it is known; print and save
// wait for the whole report.
void ReportPreview::Refresh() {
    const bool final = job_.LaidOut();
    side_->Refresh();
    find_->RowsArrived();
    ShowFindStatus();  // "até agora" goes once the reading ends
    pages_->SetPageCount(job_.Pages(), final);
    pageCount_->setText(QStringLiteral(" de %1 ").arg(final ? FormatCount(job_.Pages()) : QStringLiteral("…")));
    print_->setEnabled(final);
    savePdf_->setEnabled(final);
    export_->setEnabled(final);
    const QString rows = FormatCount(job_.Rows());
    status_->setText(final ? QStringLiteral("%1 linhas, %2 páginas").arg(rows, FormatCount(job_.Pages()))
                           : QStringLiteral("Lendo os dados do relatório: %1 linhas, %2 páginas...")
                                 .arg(rows, FormatCount(job_.Pages())));
    ShowCurrentPage(pages_->CurrentPage());
    ShowScale(pages_->Scale());
    if (JobFailed() && isVisible()) reject();
}

bool ReportPreview::JobFailed() const {
    return job_.Worker().Ended() && !job_.LaidOut() && !job_.Worker().Cancelled();
}

// The preview has no topic of its own: its keys are on the page of the
// screen it was opened from.
void ReportPreview::ShowHelp() {
    if (helpContext_ == 0) {
        Application->ShowMessage(mtInformation,
                                 QStringLiteral("Não há ajuda disponível para esta visualização."));
        return;
    }
    Application->HelpCommand(helpFile_, helpContext_);
}

void ReportPreview::ShowCurrentPage(int page) {
    if (!pageNumber_->hasFocus()) pageNumber_->setText(page > 0 ? QString::number(page) : QString());
    pages_->setAccessibleDescription(
        QStringLiteral("Página %1 %2").arg(page).arg(pageCount_->text().trimmed()));
}

void ReportPreview::ShowScale(double scale) {
    const QString percent = QStringLiteral("%1%").arg(qRound(scale * 100));
    scale_->setText(u' ' + percent + u' ');
    const PreviewPages::Zoom mode = pages_->ZoomMode();
    zoomMode_->setPlaceholderText(percent);
    zoomMode_->setCurrentIndex(mode == PreviewPages::Zoom::FitWidth    ? 0
                               : mode == PreviewPages::Zoom::WholePage ? 1
                               : qFuzzyCompare(scale, 1.0)             ? 2
                                                                       : -1);
}

void ReportPreview::BuildFindBar(QLayout& layout) {
    findBar_ = new QWidget(this);
    auto* row = new QHBoxLayout(findBar_);
    row->setContentsMargins(8, 2, 8, 2);
    auto* label = new QLabel(QStringLiteral("Procurar:"), findBar_);
    findText_ = new QLineEdit(findBar_);
    findText_->setMaxLength(ReportFind::kMaxText);
    findText_->setAccessibleName(QStringLiteral("Procurar"));
    findText_->setToolTip(QStringLiteral("Enter ou F3: próxima; Shift+Enter ou Shift+F3: anterior; Esc: fechar"));
    findText_->installEventFilter(this);
    label->setBuddy(findText_);
    findStatus_ = new QLabel(findBar_);
    row->addWidget(label);
    row->addWidget(findText_, 1);
    row->addWidget(findStatus_, 1);
    layout.addWidget(findBar_);
    findBar_->hide();
    connect(findText_, &QLineEdit::textChanged, this, [this](const QString& text) {
        match_ = -1;
        pendingStep_ = 0;
        wrapped_.clear();
        pages_->Highlight(0, {});
        find_->Search(text);
    });
    connect(find_, &ReportFind::MatchesChanged, this, [this] {
        if (pendingStep_ != 0 && !find_->Matches().empty()) {
            const int direction = pendingStep_;
            pendingStep_ = 0;
            Step(direction);
        }
        ShowFindStatus();
    });
    AddAction(QStringLiteral("Procurar"), QKeySequence::Find, [this] { OpenFind(); });
    AddAction(QStringLiteral("Próxima ocorrência"), QKeySequence(Qt::Key_F3), [this] { Step(1); });
    AddAction(QStringLiteral("Ocorrência anterior"), QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { Step(-1); });
}

void ReportPreview::OpenFind() {
    findBar_->show();
    findText_->setFocus();
    findText_->selectAll();
}

// Enter goes on from the find text, Esc closes the bar (and not the
// preview).
bool ReportPreview::eventFilter(QObject* watched, QEvent* event) {
    if (watched == findText_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            findBar_->hide();
            pages_->setFocus();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            Step(key->modifiers() & Qt::ShiftModifier ? -1 : 1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ReportPreview::Step(int direction) {
    if (!find_->HasText()) return OpenFind();
    const auto count = static_cast<int>(find_->Matches().size());
    wrapped_.clear();
    if (count == 0) {
        pendingStep_ = find_->Searching() || !job_.LaidOut() ? direction : 0;
        return ShowFindStatus();
    }
    if (match_ < 0) {
        match_ = direction > 0 ? 0 : count - 1;
    } else if (direction > 0) {
        match_ = match_ + 1 < count ? match_ + 1 : 0;
        if (match_ == 0) wrapped_ = QStringLiteral("voltou ao início");
    } else {
        match_ = match_ > 0 ? match_ - 1 : count - 1;
        if (match_ == count - 1) wrapped_ = QStringLiteral("voltou ao fim");
    }
    ShowMatch();
    ShowFindStatus();
}

void ReportPreview::ShowMatch() {
    const ReportRenderer::RowPlace place =
        job_.Renderer().PlaceOfRow(find_->Matches()[static_cast<std::size_t>(match_)]);
    pages_->Highlight(place.page, place.mm);
}

QString ReportPreview::FindStatus() const { return findStatus_->text(); }

void ReportPreview::ShowFindStatus() {
    if (!find_->HasText()) {
        findStatus_->setText(findText_->text().isEmpty() ? QString() : QStringLiteral("Nenhuma ocorrência"));
        return;
    }
    const auto count = static_cast<qint64>(find_->Matches().size());
    const bool more = find_->Searching() || !job_.LaidOut();
    QString text;
    if (count == 0)
        text = more ? QStringLiteral("Procurando...") : QStringLiteral("Nenhuma ocorrência");
    else if (match_ < 0)
        text = count == 1 ? QStringLiteral("1 ocorrência") : QStringLiteral("%1 ocorrências").arg(FormatCount(count));
    else
        text = QStringLiteral("ocorrência %1 de %2").arg(FormatCount(match_ + 1), FormatCount(count));
    if (count > 0 && more) text += QStringLiteral(" até agora");
    if (!wrapped_.isEmpty()) text += QStringLiteral(" (%1)").arg(wrapped_);
    if (match_ >= 0 && pages_->HighlightedPage() == 0) text += QStringLiteral(" (página ainda em montagem)");
    findStatus_->setText(text);
}

void ReportPreview::FitToHost(QWidget* host) {
    const QRect area = host ? host->window()->geometry()
                            : (screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768));
    resize(area.width() * 9 / 10, area.height() * 9 / 10);
    move(area.center() - rect().center());
}
