#include "DirectoryReport.h"

#include "ContactFields.h"
#include "ContactValueStore.h"
#include "MoreValueTexts.h"
#include "Recordset.h"
#include "SharedData.h"
#include "Units.h"

#include <QGlyphRun>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <QRawFont>
#include <QTextLayout>
#include <QTextOption>

const QString DirectoryReport::kPublisher = QStringLiteral("QAV Telephone — دليل الهاتف الشخصى");

namespace
{

// Layout of the bands, in twips.
constexpr int kMargin = 700;
constexpr int kReportHeaderHeight = 1215;
constexpr int kPageHeaderHeight = 375;
constexpr int kRowHeight = 375;

struct Column {
    const char* heading;
    QString ContactFields::*field;
    int left;
    int headingWidth;
    int fieldWidth;
};
// From right to left on the page: the report's own choice of seven fields, its own order and words.
constexpr Column kColumns[] = {
    {"الاسم", &ContactFields::name, 10900, 2715, 2700},
    {"تليفون/ منزل", &ContactFields::hometel, 9200, 1605, 1605},
    {"تليفون/ عمل", &ContactFields::jobtel, 7500, 1590, 1605},
    {"موبايل", &ContactFields::mobil, 5800, 1605, 1590},
    {"فاكس", &ContactFields::fax, 4100, 1605, 1605},
    {"العمل", &ContactFields::org, 2400, 1590, 1590},
    {"العنوان", &ContactFields::address, 0, 2295, 2295},
};

QFont reportFont(int twipsHigh, bool bold = false)
{
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans Arabic"), QStringLiteral("Noto Naskh Arabic"),
                      QStringLiteral("Noto Sans"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(twipsHigh);
    font.setBold(bold);
    return font;
}

constexpr int kCellPadding = 40;

// The text laid out right to left on one line, its letters painted as outlines. The preview
// records each page and lays every text out again left to right when it shows it, which turns
// an Arabic line around (": تاريخ اليوم08/12/2026") and moves the blanks between words; outlines
// are shown where they were laid out.
void paintOutlines(QPainter& painter, const QRect& inner, const QString& text, Qt::Alignment horizontal)
{
    QTextLayout layout(text, painter.font());
    QTextOption option(Qt::AlignLeft | Qt::AlignAbsolute);
    option.setTextDirection(Qt::RightToLeft);
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (!line.isValid()) {
        layout.endLayout();
        return;
    }
    line.setLineWidth(1e6);
    layout.endLayout();
    const qreal width = line.naturalTextWidth();
    const qreal left = horizontal & Qt::AlignHCenter ? inner.left() + (inner.width() - width) / 2
                       : horizontal & Qt::AlignLeft  ? qreal(inner.left())
                                                     : inner.right() + 1 - width;
    const QPointF origin(left, inner.top() + (inner.height() - line.height()) / 2 + line.ascent());
    QPainterPath outlines;
    for (const QGlyphRun& run : line.glyphRuns()) {
        const QRawFont font = run.rawFont();
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> places = run.positions();
        for (qsizetype i = 0; i < glyphs.size(); ++i)
            outlines.addPath(font.pathForGlyph(glyphs[i]).translated(origin + places[i] - QPointF(0, line.ascent())));
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(outlines, painter.pen().brush());
}

// Text reads right to left and stands against the right edge of its box, whatever the layout.
void drawCell(QPainter& painter, const QRect& box, const QString& text, Qt::Alignment horizontal = Qt::AlignRight)
{
    const QRect inner = box.adjusted(kCellPadding, 0, -kCellPadding, 0);
    painter.save();
    painter.setClipRect(box);
    if (painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Picture) {
        paintOutlines(painter, inner, text, horizontal);
    } else {
        QTextOption option(horizontal | Qt::AlignAbsolute | Qt::AlignVCenter);
        option.setTextDirection(Qt::RightToLeft);
        option.setWrapMode(QTextOption::NoWrap);
        painter.drawText(inner, text, option);
    }
    painter.restore();
}

// A text too long for its cell ends in "…" after its last whole letter: never half a letter
// cut off by the cell's edge. Line breaks in an imported value become spaces.
void drawTextCell(QPainter& painter, const QRect& box, const QString& text, Qt::Alignment horizontal = Qt::AlignRight)
{
    const int room = box.width() - 2 * kCellPadding;
    drawCell(painter, box, painter.fontMetrics().elidedText(text.simplified(), Qt::ElideRight, room), horizontal);
}

// A number keeps every character: a number wider than its cell is printed smaller. It reads
// left to right ("+20 100 555 1212"), isolated from the right-to-left cell around it.
void drawNumberCell(QPainter& painter, const QRect& box, const QString& number)
{
    const QString isolated = QChar(0x2066) + number.simplified() + QChar(0x2069);
    const int room = box.width() - 2 * kCellPadding;
    painter.save();
    QFont font = painter.font();
    for (int width = painter.fontMetrics().horizontalAdvance(isolated); width > room && font.pixelSize() > 1;
         width = painter.fontMetrics().horizontalAdvance(isolated)) {
        font.setPixelSize(std::max(1, font.pixelSize() * room / width));
        painter.setFont(font);
    }
    drawCell(painter, box, isolated);
    painter.restore();
}

void prepare(QPrinter& printer)
{
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setPageMargins(QMarginsF(kMargin / 20.0, kMargin / 20.0, kMargin / 20.0, kMargin / 20.0),
                           QPageLayout::Point);
}

// Rows that fit below the report header on the first page, and on every later page.
struct PageRows {
    int first;
    int later;
};

PageRows rowsPerPage(QPrinter& printer)
{
    const QRectF paint = printer.pageLayout().paintRect(QPageLayout::Point);
    const int heightTwips = int(paint.height() * 20);
    return {std::max(1, (heightTwips - kReportHeaderHeight - kPageHeaderHeight) / kRowHeight),
            std::max(1, (heightTwips - kPageHeaderHeight) / kRowHeight)};
}

} // namespace

QString DirectoryReport::dateLine(const QDateTime& when)
{
    QString line = QStringLiteral("تاريخ اليوم :  %D   /   التوقيت الآن : %T");
    line.replace(QLatin1String("%D"), when.date().toString(QStringLiteral("dd/MM/yyyy")));
    line.replace(QLatin1String("%T"), when.time().toString(QStringLiteral("hh:mm:ss")));
    return line;
}

bool DirectoryReport::load(const QString& code)
{
    m_code = code;
    m_more.clear();
    m_rows = std::make_shared<Recordset>(&SharedData::connection());
    const bool opened = m_rows->openContacts(code).ok;
    return m_withMore ? printMoreValues(true) && opened : opened;
}

bool DirectoryReport::printMoreValues(bool on)
{
    m_withMore = on;
    m_more.clear();
    if (!on || m_code.isEmpty())
        return true;
    QHash<QString, MoreValues> read;
    if (!ContactValueStore(SharedData::connection()).readDirectory(m_code, read)) {
        m_withMore = false;
        return false;
    }
    for (auto it = read.begin(); it != read.end(); ++it) {
        MoreValues printed;
        for (const ContactValue& value : it.value())
            if (value.kind != ContactValue::Kind::Photo)
                printed.push_back(value);
        if (!printed.empty())
            m_more.insert(it.key(), printed);
    }
    return true;
}

const MoreValues* DirectoryReport::moreOf(qsizetype row) const
{
    if (m_more.isEmpty())
        return nullptr;
    const auto rows = m_rows->snapshot();
    const auto found = m_more.constFind(rows->value(row, rows->columnIndex(QStringLiteral("name"))));
    return found == m_more.constEnd() ? nullptr : &found.value();
}

std::vector<DirectoryReport::Line> DirectoryReport::lines() const
{
    std::vector<Line> out;
    const qsizetype rows = rowCount();
    out.reserve(size_t(rows));
    for (qsizetype row = 0; row < rows; ++row) {
        out.push_back({row, -1});
        if (const MoreValues* more = moreOf(row))
            for (qsizetype value = 0; value < qsizetype(more->size()); ++value)
                out.push_back({row, value});
    }
    return out;
}

qsizetype DirectoryReport::rowCount() const
{
    const qsizetype count = m_rows ? m_rows->recordCount() : 0;
    return std::max<qsizetype>(0, count);
}

int DirectoryReport::pageCount(QPrinter& printer)
{
    prepare(printer);
    const PageRows fit = rowsPerPage(printer);
    const auto rows = qsizetype(lines().size());
    if (rows <= fit.first)
        return 1;
    return 1 + int((rows - fit.first + fit.later - 1) / fit.later);
}

void DirectoryReport::paintReportHeader(QPainter& painter) const
{
    painter.setPen(QColor(0x60, 0x60, 0x60));
    painter.setBrush(QColor(0xF4, 0xF6, 0xF8));
    painter.drawRect(QRect(0, 0, 13605, 1134)); // Shape8
    painter.setPen(Qt::black);
    painter.setFont(reportFont(260, true));
    drawTextCell(painter, QRect(3900, 50, 9636, 345), kPublisher); // rpttitle
    painter.setFont(reportFont(230, true));
    drawTextCell(painter, QRect(9071, 400, 4434, 345), directoryName); // Label7
    painter.setFont(reportFont(180));
    drawCell(painter, QRect(0, 800, 13606, 285), dateLine(printedAt), Qt::AlignHCenter); // Label10
}

void DirectoryReport::paintPageHeader(QPainter& painter, int top) const
{
    painter.setFont(reportFont(190, true));
    for (const Column& column : kColumns) {
        const QRect box(column.left, top, column.headingWidth, 270);
        painter.fillRect(box, Units::bgr(0xB5EEFF));
        painter.setPen(QColor(0x80, 0x80, 0x80));
        painter.drawRect(box);
        painter.setPen(Qt::black);
        drawTextCell(painter, box, QString::fromUtf8(column.heading), Qt::AlignHCenter);
    }
}

void DirectoryReport::paintRow(QPainter& painter, int top, qsizetype row) const
{
    const auto rows = m_rows->snapshot();
    painter.setFont(reportFont(190));
    for (const Column& column : kColumns) {
        const QRect box(column.left, top, column.fieldWidth, 300);
        const ContactField& field = ContactFields::field(column.field);
        if (field.kind == ContactField::Kind::Name)
            painter.fillRect(box, Units::bgr(0xDEF9FE)); // Text1
        painter.setPen(QColor(0xC0, 0xC0, 0xC0));
        painter.drawLine(box.bottomLeft(), box.bottomRight());
        painter.setPen(Qt::black);
        const QString value = rows->value(row, rows->columnIndex(field.columnName()));
        if (field.kind == ContactField::Kind::Number)
            drawNumberCell(painter, box, value);
        else
            drawTextCell(painter, box, value);
    }
}

// A more value on a line of its own under its contact, from the name column leftwards: its caption,
// then its text, each isolated so that neither a number nor a label's direction marks turn the
// line around.
void DirectoryReport::paintMoreValue(QPainter& painter, int top, const ContactValue& value) const
{
    const Column& name = kColumns[0];
    const QRect box(0, top, name.left + name.fieldWidth - 300, 300);
    painter.setFont(reportFont(170));
    painter.setPen(QColor(0xC0, 0xC0, 0xC0));
    painter.drawLine(box.bottomLeft(), box.bottomRight());
    painter.setPen(Qt::black);
    const bool leftToRight = value.kind == ContactValue::Kind::Phone || value.kind == ContactValue::Kind::Email ||
                             value.kind == ContactValue::Kind::Web;
    const QString text = MoreValueTexts::shown(value).simplified();
    drawTextCell(painter, box,
                 QChar(0x2068) + MoreValueTexts::caption(value) + QChar(0x2069) + QStringLiteral(": ") +
                     (leftToRight ? QChar(0x2066) : QChar(0x2068)) + text + QChar(0x2069));
}

bool DirectoryReport::print(QPrinter& printer)
{
    prepare(printer);
    const PageRows fit = rowsPerPage(printer);
    QPainter painter(&printer);
    if (!painter.isActive())
        return false;
    const QRect viewport = painter.viewport();
    const QRectF paint = printer.pageLayout().paintRect(QPageLayout::Point);
    // Draw in twips from the top-left of the printable area.
    painter.setWindow(0, 0, int(paint.width() * 20), int(paint.height() * 20));
    painter.setViewport(viewport);
    painter.setLayoutDirection(Qt::RightToLeft);

    const std::vector<Line> all = lines();
    const auto rows = qsizetype(all.size());
    qsizetype next = 0;
    bool firstPage = true;
    do {
        if (!firstPage)
            printer.newPage();
        int top = 0;
        if (firstPage) {
            paintReportHeader(painter);
            top = kReportHeaderHeight;
        }
        paintPageHeader(painter, top);
        top += kPageHeaderHeight;
        const int capacity = firstPage ? fit.first : fit.later;
        for (int i = 0; i < capacity && next < rows; ++i, ++next, top += kRowHeight) {
            const Line& line = all[size_t(next)];
            if (line.value < 0)
                paintRow(painter, top, line.row);
            else if (const MoreValues* more = moreOf(line.row))
                paintMoreValue(painter, top, (*more)[size_t(line.value)]);
        }
        firstPage = false;
    } while (next < rows);
    return painter.end();
}
