#include "PdfPages.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <QHash>
#include <QIODevice>
#include <array>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "OnDemandLibrary.h"
#include "PageCommands.h"
#include "SysUtils.h"

namespace {

// libcairo's functions, from the library opened when the first PDF is
// written. All or none: `loaded` says which.
struct CairoLibrary {
    decltype(::cairo_pdf_surface_create_for_stream)* pdf_surface_create_for_stream = nullptr;
    decltype(::cairo_pdf_surface_set_metadata)* pdf_surface_set_metadata = nullptr;
    decltype(::cairo_surface_finish)* surface_finish = nullptr;
    decltype(::cairo_surface_status)* surface_status = nullptr;
    decltype(::cairo_surface_destroy)* surface_destroy = nullptr;
    decltype(::cairo_create)* create = nullptr;
    decltype(::cairo_destroy)* destroy = nullptr;
    decltype(::cairo_status)* status = nullptr;
    decltype(::cairo_status_to_string)* status_to_string = nullptr;
    decltype(::cairo_scale)* scale = nullptr;
    decltype(::cairo_translate)* translate = nullptr;
    decltype(::cairo_show_page)* show_page = nullptr;
    decltype(::cairo_set_line_width)* set_line_width = nullptr;
    decltype(::cairo_set_line_cap)* set_line_cap = nullptr;
    decltype(::cairo_move_to)* move_to = nullptr;
    decltype(::cairo_line_to)* line_to = nullptr;
    decltype(::cairo_stroke)* stroke = nullptr;
    decltype(::cairo_toy_font_face_create)* toy_font_face_create = nullptr;
    decltype(::cairo_font_face_destroy)* font_face_destroy = nullptr;
    decltype(::cairo_set_font_face)* set_font_face = nullptr;
    decltype(::cairo_set_font_size)* set_font_size = nullptr;
    decltype(::cairo_get_scaled_font)* get_scaled_font = nullptr;
    decltype(::cairo_set_scaled_font)* set_scaled_font = nullptr;
    decltype(::cairo_scaled_font_reference)* scaled_font_reference = nullptr;
    decltype(::cairo_scaled_font_destroy)* scaled_font_destroy = nullptr;
    decltype(::cairo_scaled_font_text_to_glyphs)* scaled_font_text_to_glyphs = nullptr;
    decltype(::cairo_show_text_glyphs)* show_text_glyphs = nullptr;
    decltype(::cairo_glyph_free)* glyph_free = nullptr;
    decltype(::cairo_text_cluster_free)* text_cluster_free = nullptr;
    bool loaded = false;
};

constexpr OnDemandLibrary kCairo("libcairo.so.2");

const CairoLibrary& Cairo() {
    static const CairoLibrary library = [] {
        const OnDemandLibrary& c = kCairo;
        CairoLibrary f;
        f.loaded = c.Bind(f.pdf_surface_create_for_stream, "cairo_pdf_surface_create_for_stream") &&
                   c.Bind(f.pdf_surface_set_metadata, "cairo_pdf_surface_set_metadata") &&
                   c.Bind(f.surface_finish, "cairo_surface_finish") &&
                   c.Bind(f.surface_status, "cairo_surface_status") &&
                   c.Bind(f.surface_destroy, "cairo_surface_destroy") && c.Bind(f.create, "cairo_create") &&
                   c.Bind(f.destroy, "cairo_destroy") && c.Bind(f.status, "cairo_status") &&
                   c.Bind(f.status_to_string, "cairo_status_to_string") && c.Bind(f.scale, "cairo_scale") &&
                   c.Bind(f.translate, "cairo_translate") && c.Bind(f.show_page, "cairo_show_page") &&
                   c.Bind(f.set_line_width, "cairo_set_line_width") &&
                   c.Bind(f.set_line_cap, "cairo_set_line_cap") && c.Bind(f.move_to, "cairo_move_to") &&
                   c.Bind(f.line_to, "cairo_line_to") && c.Bind(f.stroke, "cairo_stroke") &&
                   c.Bind(f.toy_font_face_create, "cairo_toy_font_face_create") &&
                   c.Bind(f.font_face_destroy, "cairo_font_face_destroy") &&
                   c.Bind(f.set_font_face, "cairo_set_font_face") &&
                   c.Bind(f.set_font_size, "cairo_set_font_size") &&
                   c.Bind(f.get_scaled_font, "cairo_get_scaled_font") &&
                   c.Bind(f.set_scaled_font, "cairo_set_scaled_font") &&
                   c.Bind(f.scaled_font_reference, "cairo_scaled_font_reference") &&
                   c.Bind(f.scaled_font_destroy, "cairo_scaled_font_destroy") &&
                   c.Bind(f.scaled_font_text_to_glyphs, "cairo_scaled_font_text_to_glyphs") &&
                   c.Bind(f.show_text_glyphs, "cairo_show_text_glyphs") &&
                   c.Bind(f.glyph_free, "cairo_glyph_free") && c.Bind(f.text_cluster_free, "cairo_text_cluster_free");
        return f.loaded ? f : CairoLibrary{};
    }();
    return library;
}

constexpr double kPointsPerMm = 72 / 25.4;

// Pages made ahead of the writer on a thread of their own, at most kAhead
// of them, handed out strictly in order; on one core, made when asked for.
class PagesAhead {
public:
    PagesAhead(const ReportRenderer& renderer, int first, int last)
        : composer_(renderer.Composer()), pages_(renderer.Finished() ? renderer.PageCount() : 0), next_(first) {
        if (std::thread::hardware_concurrency() > 1 && last > first)
            maker_ = std::thread([this, last] { Make(last); });
    }
    PagesAhead(const PagesAhead&) = delete;
    PagesAhead& operator=(const PagesAhead&) = delete;
    ~PagesAhead() {
        if (!maker_.joinable()) return;
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        maker_.join();
    }

    // Page `number`'s commands; pages are asked for in order.
    PageCommands Take(int number) {
        if (!maker_.joinable()) return composer_.Compose(number - 1, pages_);
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !ready_.empty() || failure_; });
        if (ready_.empty()) std::rethrow_exception(failure_);
        PageCommands page = std::move(ready_.front());
        ready_.pop_front();
        changed_.notify_all();
        return page;
    }

private:
    static constexpr std::size_t kAhead = 4;

    void Make(int last) {
        try {
            for (int n = next_; n <= last; ++n) {
                PageCommands page = composer_.Compose(n - 1, pages_);
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return ready_.size() < kAhead || stop_; });
                if (stop_) return;
                ready_.push_back(std::move(page));
                changed_.notify_all();
            }
        } catch (...) {
            const std::lock_guard lock(mutex_);
            failure_ = std::current_exception();
            changed_.notify_all();
        }
    }

    PageComposer composer_;
    int pages_;
    int next_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<PageCommands> ready_;
    std::exception_ptr failure_;
    bool stop_ = false;
    std::thread maker_;  // last: started once everything above is made
};

// Where cairo's bytes go; `stopped` refuses them once the writing was
// given up, so that finishing the document writes nothing more.
struct Sink {
    QIODevice* device = nullptr;
    bool stopped = false;
};

cairo_status_t WriteToSink(void* closure, const unsigned char* data, unsigned int length) {
    auto* sink = static_cast<Sink*>(closure);
    if (sink->stopped ||
        sink->device->write(reinterpret_cast<const char*>(data), length) != static_cast<qint64>(length))
        return CAIRO_STATUS_WRITE_ERROR;
    return CAIRO_STATUS_SUCCESS;
}

// A text shaped by cairo: its glyphs from the origin, and how they map to
// its UTF-8 bytes (which keeps the text extractable). cairo's own shaping
// keeps the text's order (no clusters backwards), so texts shaped apart can
// be shown together.
struct Shaped {
    QByteArray utf8;
    std::vector<cairo_glyph_t> glyphs;
    std::vector<cairo_text_cluster_t> clusters;
};

// Draws page commands on a PDF surface, a font a page role, each text
// shaped once: the titles, headers and names that come back on every page
// are looked up instead of shaped again.
class CairoPage {
public:
    CairoPage(cairo_t* cr, const CairoLibrary& cairo) : cr_(cr), cairo_(cairo) {
        for (int role = 0; role < kPageFonts; ++role) {
            const PageFontSize size = PageFontSizeOf(static_cast<PageFont>(role));
            // Through fontconfig, as Qt finds its "Sans Serif".
            cairo_font_face_t* face = cairo.toy_font_face_create(
                "sans-serif", CAIRO_FONT_SLANT_NORMAL, size.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
            cairo.set_font_face(cr, face);
            cairo.set_font_size(cr, size.points / kPointsPerMm);
            fonts_[role] = cairo.scaled_font_reference(cairo.get_scaled_font(cr));
            cairo.font_face_destroy(face);
        }
    }
    CairoPage(const CairoPage&) = delete;
    CairoPage& operator=(const CairoPage&) = delete;
    ~CairoPage() {
        for (cairo_scaled_font_t* font : fonts_) cairo_.scaled_font_destroy(font);
    }

    // Rules of one thickness in one path, and consecutive texts of one font
    // in one showing: a page is a handful of operations for the PDF surface
    // to record and analyse instead of hundreds, the reading order kept.
    void Draw(const PageCommands& page) {
        const std::vector<PageCommands::Line>& lines = page.lines;
        for (std::size_t i = 0; i < lines.size();) {
            const double thickness = lines[i].thickness;
            cairo_.set_line_width(cr_, thickness);
            for (; i < lines.size() && lines[i].thickness == thickness; ++i) {
                cairo_.move_to(cr_, lines[i].x1, lines[i].y1);
                cairo_.line_to(cr_, lines[i].x2, lines[i].y2);
            }
            cairo_.stroke(cr_);
        }
        int current = -1;
        for (const PageCommands::Run& run : page.runs) {
            const int role = static_cast<int>(run.font);
            if (role != current) {
                Show();
                cairo_.set_scaled_font(cr_, fonts_[role]);
                current = role;
            }
            const Shaped& shaped = Shape(role, run.text);
            if (shaped.clusters.empty()) continue;
            utf8_.append(shaped.utf8);
            for (const cairo_glyph_t& glyph : shaped.glyphs)
                placed_.push_back({glyph.index, glyph.x + run.x, glyph.y + run.y});
            clusters_.insert(clusters_.end(), shaped.clusters.begin(), shaped.clusters.end());
        }
        Show();
    }

private:
    // Texts kept shaped a font; past that many the cache starts again, so
    // that a report of distinct values does not grow it without end.
    static constexpr qsizetype kKept = 4096;

    const Shaped& Shape(int role, const QString& text) {
        QHash<QString, Shaped>& cache = shaped_[role];
        if (const auto found = cache.constFind(text); found != cache.constEnd()) return *found;
        if (cache.size() >= kKept) cache.clear();
        Shaped shaped;
        shaped.utf8 = text.toUtf8();
        cairo_glyph_t* glyphs = nullptr;
        int glyphCount = 0;
        cairo_text_cluster_t* clusters = nullptr;
        int clusterCount = 0;
        cairo_text_cluster_flags_t flags{};
        if (cairo_.scaled_font_text_to_glyphs(fonts_[role], 0, 0, shaped.utf8.constData(),
                                              static_cast<int>(shaped.utf8.size()), &glyphs, &glyphCount, &clusters,
                                              &clusterCount, &flags) == CAIRO_STATUS_SUCCESS &&
            flags == 0) {
            shaped.glyphs.assign(glyphs, glyphs + glyphCount);
            shaped.clusters.assign(clusters, clusters + clusterCount);
        }
        cairo_.glyph_free(glyphs);
        cairo_.text_cluster_free(clusters);
        return *cache.emplace(text, std::move(shaped));
    }

    // Shows the texts gathered so far, in the current font.
    void Show() {
        if (!placed_.empty())
            cairo_.show_text_glyphs(cr_, utf8_.constData(), static_cast<int>(utf8_.size()), placed_.data(),
                                    static_cast<int>(placed_.size()), clusters_.data(),
                                    static_cast<int>(clusters_.size()), cairo_text_cluster_flags_t{});
        utf8_.clear();
        placed_.clear();
        clusters_.clear();
    }

    cairo_t* cr_;
    const CairoLibrary& cairo_;
    std::array<cairo_scaled_font_t*, kPageFonts> fonts_{};
    std::array<QHash<QString, Shaped>, kPageFonts> shaped_;
    // What Show shows next: the texts, their glyphs where they go, clusters.
    QByteArray utf8_;
    std::vector<cairo_glyph_t> placed_;
    std::vector<cairo_text_cluster_t> clusters_;
};

// The surface and its context, destroyed in every case.
struct CairoDocument {
    const CairoLibrary& cairo;
    cairo_surface_t* surface;
    cairo_t* cr;
    ~CairoDocument() {
        cairo.destroy(cr);
        cairo.surface_destroy(surface);
    }
};

}  // namespace

namespace PdfPages {

bool Available() { return Cairo().loaded; }

QString LibraryFile() { return QString::fromLatin1(kCairo.File()); }

void Write(const ReportRenderer& renderer, const QString& title, QIODevice& device, int first, int last,
           const std::function<void(int page)>& progress) {
    const CairoLibrary& cairo = Cairo();
    if (!cairo.loaded)
        throw Exception(QStringLiteral("A biblioteca de PDF (%1) não está instalada.").arg(LibraryFile()));
    for (const int page : {first, last})
        if (page < 1 || page > renderer.PageCount() || first > last)
            throw Exception(QStringLiteral("O relatório não tem a página %1.").arg(page));
    PagesAhead pages(renderer, first, last);
    const QPageLayout layout = renderer.PageLayout();
    const QRectF sheet = layout.fullRect(QPageLayout::Millimeter);
    const QRectF paint = layout.paintRect(QPageLayout::Millimeter);
    Sink sink{&device};
    cairo_surface_t* surface = cairo.pdf_surface_create_for_stream(
        WriteToSink, &sink, sheet.width() * kPointsPerMm, sheet.height() * kPointsPerMm);
    CairoDocument document{cairo, surface, cairo.create(surface)};
    cairo.pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, title.toUtf8().constData());
    cairo.pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, "Relatórios");
    cairo.scale(document.cr, kPointsPerMm, kPointsPerMm);
    cairo.translate(document.cr, paint.left(), paint.top());
    cairo.set_line_cap(document.cr, CAIRO_LINE_CAP_SQUARE);
    CairoPage drawer(document.cr, cairo);
    try {
        for (int n = first; n <= last; ++n) {
            if (progress) progress(n);
            drawer.Draw(pages.Take(n));
            cairo.show_page(document.cr);
            // What the pages read stays in the rows' file, not in memory.
            if ((n - first) % 64 == 63) renderer.Data().GiveBackMemory();
            // A device that refused bytes: the rest would go nowhere.
            if (cairo.status(document.cr) != CAIRO_STATUS_SUCCESS ||
                cairo.surface_status(surface) != CAIRO_STATUS_SUCCESS)
                break;
        }
    } catch (...) {
        sink.stopped = true;
        throw;
    }
    cairo.surface_finish(surface);
    cairo_status_t status = cairo.status(document.cr);
    if (status == CAIRO_STATUS_SUCCESS) status = cairo.surface_status(surface);
    if (status != CAIRO_STATUS_SUCCESS && status != CAIRO_STATUS_WRITE_ERROR)
        throw Exception(QStringLiteral("Não foi possível gerar o PDF: %1.")
                            .arg(QString::fromUtf8(cairo.status_to_string(status))));
}

}  // namespace PdfPages
