#include "PreviewSidePanel.h"

#include <QAbstractListModel>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QIODevice>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QListView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cmath>

#include "BoundedFile.h"
#include "Events.h"
#include "HostConfig.h"
#include "PageCache.h"
#include "PreviewPages.h"
#include "ReportFormat.h"
#include "ReportJob.h"
#include "SafeFile.h"
#include "SysUtils.h"

namespace {

// A thumbnail's width on the screen; its height follows the page's.
constexpr int kThumbnailWidth = 112;
constexpr int kPadding = 6;
// More than a tall panel shows at once, so that scrolling back a little
// paints nothing again.
constexpr std::size_t kCachedThumbnails = 40;
// The panel's state takes some 40 bytes; anything much larger is not ours.
constexpr qint64 kMaxStateBytes = 4096;

enum Tab { kPagesTab, kOutlineTab };

struct PanelState {
    bool shown = false;
    int tab = kPagesTab;
};

const QString kShownKey = QStringLiteral("painel");
const QString kTabKey = QStringLiteral("aba");
const QString kTabNames[] = {QStringLiteral("paginas"), QStringLiteral("sumario")};

// What the file says; the defaults when there is none or it cannot be used.
PanelState ReadState(const QString& file) {
    if (file.isEmpty()) return {};
    QByteArray bytes;
    try {
        bytes = ReadRegularFile(file, kMaxStateBytes);
    } catch (const EFileRead&) {
        return {};
    }
    const QJsonObject object = QJsonDocument::fromJson(bytes).object();
    const QJsonValue shown = object.value(kShownKey);
    const QString tab = object.value(kTabKey).toString();
    if (!shown.isBool() || (tab != kTabNames[kPagesTab] && tab != kTabNames[kOutlineTab])) return {};
    return {shown.toBool(), tab == kTabNames[kOutlineTab] ? kOutlineTab : kPagesTab};
}

void WriteState(const QString& file, const PanelState& state) {
    const QString folder = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(folder))
        throw Exception(QStringLiteral("Não foi possível criar a pasta %1.").arg(QDir::toNativeSeparators(folder)));
    SafeFile out(file);
    const QJsonObject object{{kShownKey, state.shown}, {kTabKey, kTabNames[state.tab]}};
    out.Device().write(QJsonDocument(object).toJson(QJsonDocument::Compact));
    out.Commit();
}

// A list whose navigation keys are its own: the preview's PgUp, PgDn,
// Ctrl+Home and Ctrl+End turn the pages elsewhere, but here they move in the
// list.
class PanelList : public QListView {
public:
    PanelList(const QString& name, QWidget* parent) : QListView(parent) {
        setAccessibleName(name);
        setUniformItemSizes(true);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
    }

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride) {
            switch (static_cast<QKeyEvent*>(event)->key()) {
                case Qt::Key_PageUp:
                case Qt::Key_PageDown:
                case Qt::Key_Home:
                case Qt::Key_End:
                case Qt::Key_Up:
                case Qt::Key_Down:
                    event->accept();
                    return true;
                default:
                    break;
            }
        }
        return QListView::event(event);
    }
};

}  // namespace

// The pages laid out so far, each "Página N"; their thumbnails painted on
// demand (Thumbnail), which only the delegate asks for, and only for the
// rows it paints.
class ThumbnailModel : public QAbstractListModel {
public:
    ThumbnailModel(const ReportRenderer& renderer, QObject* parent)
        : QAbstractListModel(parent),
          renderer_(renderer),
          pageMm_(renderer.PageLayout().fullRect(QPageLayout::Millimeter).size()) {}

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : pages_; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
        return QStringLiteral("Página %1").arg(FormatCount(index.row() + 1));
    }

    // Pages painted before the count was known are painted again, with it.
    void Refresh() {
        const int pages = renderer_.PageCount();
        if (renderer_.Finished() && !final_) {
            final_ = true;
            cache_.Clear();
            if (pages_ > 0) emit dataChanged(index(0), index(pages_ - 1));
        }
        if (pages <= pages_) return;
        beginInsertRows({}, pages_, pages - 1);
        pages_ = pages;
        endInsertRows();
    }

    // The resolution of a thumbnail kThumbnailWidth wide, in device pixels.
    int Dpi(double ratio) const {
        return std::max(1, static_cast<int>(std::floor(kThumbnailWidth * ratio * 25.4 / pageMm_.width())));
    }
    QSize Size(double ratio) const {
        const double perMm = Dpi(ratio) / 25.4 / ratio;
        return {qRound(pageMm_.width() * perMm), qRound(pageMm_.height() * perMm)};
    }
    const QImage& Thumbnail(int page, double ratio) {
        return cache_.Image(page, [&] {
            QImage image = renderer_.PageImage(page, Dpi(ratio));
            image.setDevicePixelRatio(ratio);
            return image;
        });
    }
    int Painted() const { return cache_.Painted(); }

private:
    const ReportRenderer& renderer_;
    QSizeF pageMm_;
    int pages_ = 0;
    bool final_ = false;
    PageCache cache_{kCachedThumbnails};
};

// The groups whose heading is on a complete page; each entry's text is made
// when asked for, so the outline of a report of a million groups holds only
// their count.
class OutlineModel : public QAbstractListModel {
public:
    OutlineModel(const ReportRenderer& renderer, QObject* parent)
        : QAbstractListModel(parent), renderer_(renderer) {}

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : groups_; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
        return QStringLiteral("%1 — página %2")
            .arg(renderer_.GroupName(index.row()), FormatCount(Place(index.row()).page));
    }
    ReportRenderer::RowPlace Place(int group) const { return renderer_.PlaceOfGroup(group); }

    void Refresh() {
        int groups = groups_;
        const int laidOut = renderer_.GroupCount();
        while (groups < laidOut && Place(groups).page > 0) ++groups;
        if (groups == groups_) return;
        beginInsertRows({}, groups_, groups - 1);
        groups_ = groups;
        endInsertRows();
    }

private:
    const ReportRenderer& renderer_;
    int groups_ = 0;
};

namespace {

// A thumbnail on its sheet's shadow, its page number under it; the page on
// view in the selection's colour.
class ThumbnailDelegate : public QStyledItemDelegate {
public:
    ThumbnailDelegate(ThumbnailModel& model, QObject* parent) : QStyledItemDelegate(parent), model_(model) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& /*index*/) const override {
        const QSize sheet = model_.Size(Ratio(option));
        return {sheet.width() + 2 * kPadding, sheet.height() + 3 * kPadding + option.fontMetrics.height()};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const bool selected = item.state & QStyle::State_Selected;
        if (selected) painter->fillRect(item.rect, item.palette.highlight());
        const double ratio = Ratio(option);
        const QSize sheet = model_.Size(ratio);
        const QPoint at(item.rect.left() + (item.rect.width() - sheet.width()) / 2, item.rect.top() + kPadding);
        painter->fillRect(QRect(at + QPoint(2, 2), sheet), item.palette.shadow());
        painter->drawImage(at, model_.Thumbnail(index.row() + 1, ratio));
        painter->setPen(item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const QRect label(item.rect.left(), at.y() + sheet.height() + kPadding, item.rect.width(),
                          item.fontMetrics.height());
        painter->drawText(label, Qt::AlignCenter, item.text);
        if (item.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(item);
            focus.rect = item.rect.adjusted(1, 1, -1, -1);
            item.widget->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, item.widget);
        }
    }

private:
    static double Ratio(const QStyleOptionViewItem& option) {
        return option.widget ? option.widget->devicePixelRatioF() : 1.0;
    }

    ThumbnailModel& model_;
};

}  // namespace

PreviewSidePanel::PreviewSidePanel(const ReportJob& job, PreviewPages& pages, QWidget* parent)
    : QTabWidget(parent), pages_(pages), file_(HostConfig::Instance().previewStateFile) {
    setAccessibleName(QStringLiteral("Painel lateral"));
    const ReportRenderer& renderer = job.Renderer();
    thumbnailModel_ = new ThumbnailModel(renderer, this);
    thumbnails_ = new PanelList(QStringLiteral("Miniaturas das páginas"), this);
    thumbnails_->setModel(thumbnailModel_);
    thumbnails_->setItemDelegate(new ThumbnailDelegate(*thumbnailModel_, thumbnails_));
    thumbnails_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    outlineModel_ = new OutlineModel(renderer, this);
    outline_ = new PanelList(QStringLiteral("Sumário do relatório"), this);
    outline_->setModel(outlineModel_);
    addTab(thumbnails_, QStringLiteral("&Páginas"));
    addTab(outline_, QStringLiteral("&Sumário"));
    const bool grouped = !job.Report().groupField.isEmpty();
    setTabEnabled(kOutlineTab, grouped);
    if (!grouped) setTabToolTip(kOutlineTab, QStringLiteral("Este relatório não tem grupos"));
    const QSize thumbnail = thumbnailModel_->Size(devicePixelRatioF());
    setMinimumWidth(thumbnail.width() + 2 * kPadding + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 12);
    const PanelState state = ReadState(file_);
    setCurrentIndex(grouped ? state.tab : kPagesTab);
    setVisible(state.shown);
    connect(thumbnails_, &QListView::activated, this, &PreviewSidePanel::Turn);
    connect(thumbnails_, &QListView::clicked, this, &PreviewSidePanel::Turn);
    connect(outline_, &QListView::activated, this, &PreviewSidePanel::GoToGroup);
    connect(outline_, &QListView::clicked, this, &PreviewSidePanel::GoToGroup);
    connect(&pages, &PreviewPages::CurrentPageChanged, this, &PreviewSidePanel::ShowPage);
    // A tab chosen by the user (Alt+P, Alt+S, Ctrl+Tab, a click).
    connect(this, &QTabWidget::currentChanged, this, [this] {
        currentWidget()->setFocus();
        Dispatch([this] { Save(); });
    });
}

PreviewSidePanel::~PreviewSidePanel() = default;

void PreviewSidePanel::Refresh() {
    thumbnailModel_->Refresh();
    outlineModel_->Refresh();
}

int PreviewSidePanel::ThumbnailsPainted() const { return thumbnailModel_->Painted(); }

void PreviewSidePanel::Follow(QAction& toggle) {
    toggle_ = &toggle;
    toggle.setCheckable(true);
    toggle.setChecked(!isHidden());
}

void PreviewSidePanel::Toggle() {
    SetShown(isHidden());
    Save();
}

void PreviewSidePanel::SetShown(bool shown) {
    if (!shown && isAncestorOf(QApplication::focusWidget())) pages_.setFocus();
    setVisible(shown);
    if (toggle_) toggle_->setChecked(shown);
    if (shown) ShowPage(pages_.CurrentPage());
}

void PreviewSidePanel::SwitchFocus() {
    if (isHidden()) return;
    if (isAncestorOf(QApplication::focusWidget())) return pages_.setFocus();
    auto* list = static_cast<QListView*>(currentWidget());
    if (!list->currentIndex().isValid() && list->model()->rowCount() > 0)
        list->setCurrentIndex(list->model()->index(0, 0));
    list->setFocus();
}

void PreviewSidePanel::Turn(const QModelIndex& index) { pages_.GoToPage(index.row() + 1); }

void PreviewSidePanel::GoToGroup(const QModelIndex& index) {
    const ReportRenderer::RowPlace place = outlineModel_->Place(index.row());
    pages_.Highlight(place.page, place.mm);
}

// The page on view selected among the thumbnails, and in view there.
void PreviewSidePanel::ShowPage(int page) {
    if (page < 1 || page > thumbnailModel_->rowCount({})) return;
    const QModelIndex index = thumbnailModel_->index(page - 1);
    thumbnails_->setCurrentIndex(index);
    thumbnails_->scrollTo(index);
}

void PreviewSidePanel::Save() const {
    if (file_.isEmpty()) return;
    try {
        WriteState(file_, {!isHidden(), currentIndex()});
    } catch (const Exception& error) {
        throw Exception(QStringLiteral("A escolha do painel lateral não foi guardada para a próxima vez. ") +
                        error.Message());
    }
}
