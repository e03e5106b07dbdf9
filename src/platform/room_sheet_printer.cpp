#include "platform/room_sheet_printer.h"

#include "files/atomic_write.h"

#include <QBuffer>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>
#include <algorithm>
#include <memory>
#include <vector>

namespace ondrel {

namespace {

// Where a line ending at `end` would cut a control name such as <NUL> (of at most five
// characters, brackets included): the position of its "<", otherwise -1.
qsizetype cutNameStart(const QString& text, qsizetype end) {
    for (qsizetype open = end - 1; open >= 0 && open > end - 5; --open) {
        if (text[open] == QLatin1Char('>'))
            return -1;
        if (text[open] == QLatin1Char('<')) {
            const qsizetype close = text.indexOf(QLatin1Char('>'), end);
            return close >= 0 && close - open < 5 ? open : -1;
        }
    }
    return -1;
}

// One block of text laid out for a width, measured before it is drawn.
class TextBlock {
public:
    TextBlock(const QString& text, const QFont& font, QPaintDevice* device, double width)
        : layout_(QString(text).replace(QLatin1Char('\n'), QChar::LineSeparator), font, device) {
        QTextOption option;
        // Long command strings have no blanks to break at.
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout_.setTextOption(option);
        layout_.beginLayout();
        const QString& laid = layout_.text();
        for (QTextLine line = layout_.createLine(); line.isValid(); line = layout_.createLine()) {
            line.setLineWidth(width);
            // Broken anywhere, a line may end inside <STX>: it ends before it instead.
            const qsizetype end = line.textStart() + line.textLength();
            if (const qsizetype open = cutNameStart(laid, end); open > line.textStart())
                line.setNumColumns(int(open - line.textStart()), width);
            line.setPosition(QPointF(0, height_));
            height_ += line.height();
        }
        layout_.endLayout();
    }
    double height() const { return height_; }
    void draw(QPainter& painter, QPointF at) const { layout_.draw(&painter, at); }

private:
    QTextLayout layout_;
    double height_ = 0;
};

class SheetPainter {
public:
    SheetPainter(const RoomSheet& sheet, QPagedPaintDevice& device)
        : sheet_(sheet), device_(device) {}

    Result<int> run() {
        if (!painter_.begin(&device_))
            return makeError(QStringLiteral("cannot start printing the room sheet"));
        const double dpi = device_.logicalDpiY();
        pad_ = dpi * 0.04;
        width_ = device_.width();
        bottom_ = device_.height() - dpi * 0.35; // room for the page number
        body_ = QFont(QStringLiteral("Sans Serif"));
        body_.setStyleHint(QFont::SansSerif);
        body_.setPointSizeF(8.5);
        // No ligatures: "fi" stays two letters for anyone searching or copying the text.
        body_.setStyleStrategy(QFont::PreferNoShaping);
        bold_ = body_;
        bold_.setBold(true);

        QFont title = bold_;
        title.setPointSizeF(16);
        text(QStringLiteral("Room sheet: ") + sheet_.title, title, 0, width_);
        y_ += dpi * 0.12;
        for (const auto& [name, value] : sheet_.facts) {
            const TextBlock key(name, bold_, &device_, width_ * 0.28);
            const TextBlock val(value, body_, &device_, width_ * 0.72);
            key.draw(painter_, QPointF(0, y_));
            val.draw(painter_, QPointF(width_ * 0.28, y_));
            y_ += std::max(key.height(), val.height());
        }
        for (const SheetTable& table : sheet_.tables)
            drawTable(table);
        footer();
        if (!painter_.end())
            return makeError(QStringLiteral("the room sheet could not be printed"));
        return page_;
    }

private:
    void text(const QString& t, const QFont& font, double x, double width) {
        const TextBlock block(t, font, &device_, width);
        block.draw(painter_, QPointF(x, y_));
        y_ += block.height();
    }

    void footer() {
        painter_.setFont(body_);
        painter_.drawText(QRectF(0, bottom_, width_, device_.height() - bottom_),
                          Qt::AlignRight | Qt::AlignBottom,
                          QStringLiteral("%1, page %2").arg(sheet_.title).arg(page_));
    }

    void newPage() {
        footer();
        device_.newPage();
        ++page_;
        y_ = 0;
    }

    // Draws one row of cells with their borders; starts a new page first when it does not fit.
    // Gives false when the row moved to a new page (the caller repeats the header).
    // `force` draws it anyway: a row taller than a whole page.
    bool row(const SheetTable& table, const QStringList& cells, const QFont& font, bool shaded,
             bool force = false) {
        std::vector<std::unique_ptr<TextBlock>> blocks;
        double height = 0;
        for (qsizetype c = 0; c < table.widths.size(); ++c) {
            const double w = table.widths[c] * width_;
            blocks.push_back(std::make_unique<TextBlock>(c < cells.size() ? cells[c] : QString(),
                                                         font, &device_, w - 2 * pad_));
            height = std::max(height, blocks.back()->height() + 2 * pad_);
        }
        if (!force && y_ + height > bottom_)
            return false;
        double x = 0;
        painter_.setPen(QPen(Qt::black, device_.logicalDpiX() / 144.0));
        for (qsizetype c = 0; c < table.widths.size(); ++c) {
            const QRectF cell(x, y_, table.widths[c] * width_, height);
            if (shaded)
                painter_.fillRect(cell, QColor(225, 225, 225));
            painter_.drawRect(cell);
            blocks[size_t(c)]->draw(painter_, cell.topLeft() + QPointF(pad_, pad_));
            x += cell.width();
        }
        y_ += height;
        return true;
    }

    void drawTable(const SheetTable& table) {
        QFont heading = bold_;
        heading.setPointSizeF(12);
        const double dpi = device_.logicalDpiY();
        y_ += dpi * 0.2;
        // The title, the header and the first row stay together.
        const TextBlock title(table.title, heading, &device_, width_);
        if (y_ + title.height() + dpi * 0.8 > bottom_)
            newPage();
        text(table.title, heading, 0, width_);
        row(table, table.header, bold_, true);
        for (const QStringList& cells : table.rows) {
            if (row(table, cells, body_, false))
                continue;
            newPage();
            text(table.title + QStringLiteral(" (continued)"), heading, 0, width_);
            row(table, table.header, bold_, true);
            row(table, cells, body_, false, true);
        }
    }

    const RoomSheet& sheet_;
    QPagedPaintDevice& device_;
    QPainter painter_;
    QFont body_, bold_;
    double width_ = 0, bottom_ = 0, pad_ = 0, y_ = 0;
    int page_ = 1;
};

} // namespace

Result<int> paintRoomSheet(const RoomSheet& sheet, QPagedPaintDevice& device) {
    return SheetPainter(sheet, device).run();
}

Result<int> writeRoomSheetPdf(const RoomSheet& sheet, const QString& path) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    Result<int> pages = makeError(QString());
    {
        QPdfWriter pdf(&buffer);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(18, 15, 18, 15), QPageLayout::Millimeter));
        pdf.setResolution(600);
        pdf.setTitle(QStringLiteral("Room sheet: ") + sheet.title);
        pdf.setCreator(QStringLiteral("Ondrel configuration tool"));
        pages = paintRoomSheet(sheet, pdf);
    }
    if (!pages)
        return pages;
    if (const Status written = writeFileAtomically(path, buffer.data()); !written)
        return written.error();
    return pages;
}

} // namespace ondrel
