#include "HelpWindow.h"

#include "AppLook.h"
#include "MessageBox.h"
#include "SkinButton.h"
#include "SkinLabel.h"
#include "SkinTab.h"
#include "Units.h"

#include <QLabel>
#include <QPropertyAnimation>

HelpWindow::HelpWindow() : SmallDialog(QStringLiteral("حول البرنامج"), 6300, 5100, 0)
{
    SkinButton1 = addButton(QStringLiteral("QAV Telephone / ") + publisher(), 240, 180, 5820, 495);
    SkinButton1->setIcon(AppLook::icon(QStringLiteral("app")));
    SkinButton1->setFocusPolicy(Qt::NoFocus);
    auto* Image1 = new QLabel(SkinTab1);
    Image1->setPixmap(AppLook::icon(QStringLiteral("app")).pixmap(64, 64));
    Image1->setGeometry(Units::rect(240, 900, 1200, 1200));
    Image1->setAlignment(Qt::AlignCenter);
    // The publisher's own lines: neutral texts that the deploying party replaces.
    const QStringList lines = {
        publisher(),
        QStringLiteral("برامج عربية لإدارة البيانات الشخصية والمكتبية"),
        QStringLiteral("العنوان: يكتبه الناشر عند التوزيع"),
        QStringLiteral("تليفون/ —"),
        QStringLiteral("موبايل/ —"),
        QStringLiteral("فاكس/ —"),
        QStringLiteral("موبايل خارج البلاد/ —"),
        QStringLiteral("Email : —"),
        QStringLiteral("برمجة: فريق QAV Telephone"),
    };
    int top = 840;
    for (const QString& line : lines) {
        SkinLabel* label = addLabel(line, 1560, top, 4500, 330);
        label->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter);
        top += 360;
    }
    cmdCancel = addButton(QStringLiteral("موافق"), 240, 4320, 1200, 390);
    cmdCancel->setDefault(true);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::accept);
    keysButton = addButton(QStringLiteral("مفاتيح الاختصار"), 1560, 4320, 2400, 390);
    keysButton->setObjectName(QStringLiteral("keys"));
    connect(keysButton, &QPushButton::clicked, this, [] {
        MessageBox::show(keysText(), MessageBox::RtlReading | MessageBox::Information,
                         QStringLiteral("مفاتيح الاختصار"));
    });
}

QString HelpWindow::keysText()
{
    // Each key reads left to right inside the Arabic line.
    const QList<QPair<const char*, const char*>> keys = {
        {"Enter", "فتح الدليل المختار، أو عرض جهة الاتصال المختارة"},
        {"Backspace", "العودة إلى قائمة الأدلة"},
        {"Ctrl+N", "إضافة دليل أو جهة اتصال"},
        {"F2", "تعديل جهة الاتصال أو تغيير اسم الدليل"},
        {"Delete", "حذف المختار"},
        {"Ctrl+F", "البحث فى الدفتر كله"},
        {"Ctrl+P", "طباعة الدليل المفتوح"},
        {"F5", "قراءة القوائم من جديد"},
        {"Ctrl+Z", "تراجع"},
        {"Ctrl+Shift+Z", "إعادة"},
        {"Ctrl / Shift", "مع النقر: اختيار عدة جهات اتصال معا"},
    };
    QStringList lines;
    for (const auto& [key, what] : keys)
        lines << QChar(0x2066) + QString::fromUtf8(key) + QChar(0x2069) + QStringLiteral("  —  ") +
                     QString::fromUtf8(what);
    return lines.join(QLatin1Char('\n'));
}

QString HelpWindow::publisher()
{
    return QStringLiteral("قاف للبرمجيات");
}

void HelpWindow::fade(qreal to, int speed, const std::function<void()>& finished)
{
    if (!m_fade) {
        m_fade = new QPropertyAnimation(this, "windowOpacity", this);
    }
    m_fade->stop();
    m_fade->disconnect(this);
    m_fade->setDuration(fadeMilliseconds(speed));
    m_fade->setStartValue(windowOpacity());
    m_fade->setEndValue(to);
    connect(m_fade, &QPropertyAnimation::finished, this, [finished] { finished(); });
    m_fade->start();
}

void HelpWindow::showEvent(QShowEvent* event)
{
    SmallDialog::showEvent(event);
    m_closing = false;
    setWindowOpacity(0.0);
    fade(1.0, 10, [] {});
}

void HelpWindow::done(int result)
{
    // "موافق", Escape and the close box all fade out first; a second request ends at once.
    if (m_closing || !isVisible()) {
        SmallDialog::done(result);
        return;
    }
    m_closing = true;
    fade(0.0, 15, [this, result] {
        SmallDialog::done(result);
        setWindowOpacity(1.0);
    });
}
