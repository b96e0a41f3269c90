#include "app/form1.h"

#include "app/message_box_messages.h"
#include "skin/fonts.h"
#include "skin/skin.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

// The icon lives in this static library; its resources must be registered by hand.
static void initAppResources() {
    Q_INIT_RESOURCE(lotdraw);
}

namespace lotdraw {
namespace {

constexpr QRect twips(int left, int top, int width, int height) {
    return {left / Form1::kTwipsPerPixel, top / Form1::kTwipsPerPixel, width / Form1::kTwipsPerPixel,
            height / Form1::kTwipsPerPixel};
}

// Fonts are asked for by their Windows names; skin/fonts.cpp maps them onto installed CJK faces
// that cover the GB2312 repertoire.
QFont songti(qreal points, bool bold) {
    QFont font(QStringLiteral("宋体"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QFont lishu(qreal points, bool bold) {
    QFont font(QStringLiteral("隶书"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

template<typename Widget>
Widget *place(Widget *widget, const char *name, QRect geometry, const QFont &font) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    widget->setFont(font);
    return widget;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, QRect geometry, const QFont &font) {
    auto *widget = place(new QPushButton(caption, parent), name, geometry, font);
    widget->setAutoDefault(false);
    return widget;
}

QLabel *label(QWidget *parent, const char *name, const QString &caption, QRect geometry, const QFont &font,
              Qt::Alignment alignment) {
    auto *widget = place(new QLabel(caption, parent), name, geometry, font);
    widget->setAlignment(alignment);
    widget->setWordWrap(true);
    return widget;
}

QGroupBox *frame(QWidget *parent, const char *name, const QString &caption, QRect geometry) {
    return place(new QGroupBox(caption, parent), name, geometry, songti(12, true));
}

QListWidget *listBox(QWidget *parent, const char *name, QRect geometry, const QFont &font) {
    auto *widget = place(new QListWidget(parent), name, geometry, font);
    widget->setUniformItemSizes(true);
    return widget;
}

// Earlier entries lie in front of later ones.
void stackFrontToBack(std::initializer_list<QWidget *> frontToBack) {
    for (auto it = std::rbegin(frontToBack); it != std::rend(frontToBack); ++it) {
        (*it)->raise();
    }
}

constexpr Qt::Alignment kCentred = Qt::AlignCenter;
constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;

} // namespace

const QColor Form1::kHighlightColour{255, 192, 255};

Form1::Form1(Dependencies dependencies, QWidget *parent)
    : QWidget(parent)
    , m_deps(dependencies) {
    initAppResources();
    installFontSubstitutes();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("现场抽签V1.1"));
    setWindowIcon(QIcon(QStringLiteral(":/app/icons/lotdraw.png")));
    setFixedSize(kClientWidthTwips / kTwipsPerPixel, kClientHeightTwips / kTwipsPerPixel);

    buildControls();
    applyStackingOrder();
    applyTabOrder();
    connectHandlers();
    centreOnScreen();
    Form_Load();
}

Form1::~Form1() {
    while (m_busyDepth > 0) {
        setBusy(false);
    }
}

void Form1::buildControls() {
    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));

    m_command5 = button(this, "Command5_1", QStringLiteral("关闭"), twips(11640, 5760, 1215, 615), songti(14.25, true));
    m_command5->hide();
    m_list2 = listBox(this, "List2", twips(120, 120, 12975, 6540), songti(36, false));
    // The enlarged list flows its lines in three side-by-side columns and scrolls sideways, so an
    // audience sees three times as many names at this size.
    m_list2->setFlow(QListView::TopToBottom);
    m_list2->setWrapping(true);
    m_list2->setResizeMode(QListView::Adjust);
    // A column a third of the whole width, rounded up: the viewport inside the frame is a little
    // narrower, so a fourth column never peeks in at the right edge.
    m_list2->setGridSize(QSize((m_list2->width() + 2) / 3, QFontMetrics(m_list2->font()).height() + 4));
    m_list2->hide();

    m_frame4 = frame(this, "Frame4", QStringLiteral("随机抽取显示窗口："), twips(8520, 120, 4575, 2175));
    m_label2 = label(m_frame4, "Label2", QString(), twips(240, 600, 3735, 975), songti(42, true), kCentred);
    m_label2->setWordWrap(false);

    m_frame3 = frame(this, "Frame3", QStringLiteral("抽取设置："), twips(3720, 120, 4695, 2175));
    m_command3[0] =
        button(m_frame3, "Command3_0", QStringLiteral("开始"), twips(3240, 720, 1095, 855), songti(12, true));
    m_option1[1] = place(new QRadioButton(QStringLiteral("否"), m_frame3), "Option1_1", twips(2160, 1320, 495, 375),
                         songti(12, true));
    m_option1[0] = place(new QRadioButton(QStringLiteral("是"), m_frame3), "Option1_0", twips(1320, 1320, 495, 375),
                         songti(12, true));
    m_keepGroup = new QButtonGroup(this);
    m_keepGroup->addButton(m_option1[0], 0);
    m_keepGroup->addButton(m_option1[1], 1);
    m_option1[0]->setChecked(true);
    m_command3[1] =
        button(m_frame3, "Command3_1", QStringLiteral("结束"), twips(3240, 720, 1095, 855), songti(12, true));
    m_text1 = place(new QLineEdit(m_frame3), "Text1", twips(1560, 600, 975, 375), songti(12, true));
    m_label1[9] = label(m_frame3, "Label1_9", QString(), twips(2640, 660, 285, 255), songti(12, false), kLeft);
    m_label1[8] = label(m_frame3, "Label1_8", QStringLiteral("抽取值："), twips(120, 660, 1335, 255), songti(12, false),
                        kCentred);
    m_label1[7] = label(m_frame3, "Label1_7", QStringLiteral("抽取后是否保留"), twips(120, 1320, 975, 495),
                        songti(12, false), kCentred);

    m_frame2 = frame(this, "Frame2", QStringLiteral("抽签对象设置："), twips(120, 120, 3495, 2175));
    m_command6 =
        button(m_frame2, "Command6_0", QStringLiteral("打开EXCEL"), twips(1800, 1080, 1455, 495), songti(12, true));
    m_command1 = button(m_frame2, "Command1_1", QStringLiteral("确定"), twips(1800, 360, 1455, 495), songti(15, true));
    m_label5 =
        label(m_frame2, "Label5", QStringLiteral("编辑抽签对象"), twips(120, 1200, 1695, 375), songti(12, true), kLeft);
    m_label4 =
        label(m_frame2, "Label4", QStringLiteral("导入抽签对象"), twips(120, 480, 1695, 375), songti(12, true), kLeft);

    m_frame1 = frame(this, "Frame1", QStringLiteral("抽签结果显示："), twips(120, 2400, 12975, 4215));
    m_command4 = button(m_frame1, "Command4_1", QStringLiteral("导出到EXCEL结束！"), twips(2040, 0, 8295, 1455),
                        lishu(36, true));
    m_command4->hide();
    static constexpr std::array<int, 9> kCommand2Left{1560, 2640, 5160, 7680, 10200, 3960, 6480, 9000, 11520};
    static constexpr std::array<int, 9> kCommand2Width{855, 975, 1095, 1095, 1095, 975, 975, 975, 975};
    static constexpr std::array<const char *, 9> kCommand2Names{"Command2_0", "Command2_1", "Command2_2",
                                                                "Command2_3", "Command2_4", "Command2_5",
                                                                "Command2_6", "Command2_7", "Command2_8"};
    for (int i = 8; i >= 0; --i) {
        const QString caption = i == 0   ? QStringLiteral("详情")
                                : i <= 4 ? QStringLiteral("查看")
                                         : QStringLiteral("导出");
        const auto at = static_cast<std::size_t>(i);
        m_command2[at] = button(m_frame1, kCommand2Names[at], caption,
                                twips(kCommand2Left[at], 3600, kCommand2Width[at], 375), songti(12, true));
    }
    static constexpr std::array<const char *, 5> kList1Names{"List1_0", "List1_1", "List1_2", "List1_3", "List1_4"};
    for (std::size_t i = 0; i < m_list1.size(); ++i) {
        const int left = 120 + static_cast<int>(i) * 2520;
        m_list1[i] = listBox(m_frame1, kList1Names[i], twips(left, 840, 2295, 2670), songti(12, false));
    }
    m_label3 = label(m_frame1, "Label3", QString(), twips(120, 3675, 1455, 375), songti(12, true), kCentred);
    QPalette red = m_label3->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    m_label3->setPalette(red);
    m_label3->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    static constexpr std::array<const char *, 5> kLabel1Names{"Label1_0", "Label1_1", "Label1_2", "Label1_3",
                                                              "Label1_4"};
    for (std::size_t i = 0; i < 5; ++i) {
        const int left = 120 + static_cast<int>(i) * 2520;
        const QString caption =
            i == 0 ? QStringLiteral("被抽名单：") : DrawStateProcedures::headingFor(static_cast<int>(i));
        m_label1[i] =
            label(m_frame1, kLabel1Names[i], caption, twips(left, 480, 2295, 375), songti(12, true), kCentred);
    }

    m_list1Lines.reserve(m_list1.size());
    for (QListWidget *widget : m_list1) {
        m_list1Lines.emplace_back(*widget);
    }
    m_list2Lines.emplace(*m_list2);
}

void Form1::applyStackingOrder() {
    stackFrontToBack({m_command5, m_list2, m_frame4, m_frame3, m_frame2, m_frame1});
    stackFrontToBack(
        {m_command3[0], m_option1[1], m_option1[0], m_command3[1], m_text1, m_label1[9], m_label1[8], m_label1[7]});
    stackFrontToBack({m_command6, m_command1, m_label5, m_label4});
    stackFrontToBack({m_command4,    m_command2[8], m_command2[7], m_command2[6], m_command2[5], m_command2[4],
                      m_command2[3], m_command2[2], m_command2[1], m_command2[0], m_list1[0],    m_list1[1],
                      m_list1[2],    m_list1[3],    m_list1[4],    m_label3,      m_label1[0],   m_label1[1],
                      m_label1[2],   m_label1[3],   m_label1[4]});
}

void Form1::applyTabOrder() {
    // Frames and labels hold places in the order too but never take the focus; these are the
    // controls that can, first to last.
    const std::array<QWidget *, 22> order{m_list1[4],    m_list1[3],    m_list1[2],    m_list1[1],    m_list1[0],
                                          m_command1,    m_text1,       m_command2[0], m_command2[1], m_command2[2],
                                          m_command2[3], m_command2[4], m_command3[1], m_command2[5], m_command2[6],
                                          m_command2[7], m_command2[8], m_option1[0],  m_option1[1],  m_command4,
                                          m_list2,       m_command5};
    for (std::size_t i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
    setTabOrder(m_command5, m_command3[0]);
    setTabOrder(m_command3[0], m_command6);
}

void Form1::connectHandlers() {
    connect(m_command1, &QPushButton::clicked, this, [this] { Command1_Click(1); });
    connect(m_command6, &QPushButton::clicked, this, [this] { Command6_Click(0); });
    connect(m_text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
    for (int i = 0; i < 2; ++i) {
        connect(m_command3[static_cast<std::size_t>(i)], &QPushButton::clicked, this, [this, i] { Command3_Click(i); });
    }
    connect(m_timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    for (int i = 0; i < 9; ++i) {
        connect(m_command2[static_cast<std::size_t>(i)], &QPushButton::clicked, this, [this, i] { Command2_Click(i); });
    }
    connect(m_command5, &QPushButton::clicked, this, [this] { Command5_Click(1); });
    connect(m_command4, &QPushButton::clicked, this, [this] { Command4_Click(1); });
}

void Form1::centreOnScreen() {
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

// Start-up: clear the skip flag, then dress the window. Whatever the skin layer meets, the window
// opens, so its result is not looked at.
void Form1::Form_Load() {
    m_state.skipTick = 0;
    static_cast<void>(SkinH_Attach());
}

void Form1::Command1_Click(int /*index*/) {
    m_workbookCommands.importPool();
}

void Form1::Command6_Click(int /*index*/) {
    m_workbookCommands.openForEditing();
}

void Form1::Text1_Change() {
    m_drawControl.Text1_Change();
}

void Form1::Command3_Click(int index) {
    m_drawControl.Command3_Click(index);
}

void Form1::Timer1_Timer() {
    m_drawControl.Timer1_Timer();
}

// "详情"/"查看" (0..4) enlarge List1(index); "导出" (5..8) export List1(index - 4).
void Form1::Command2_Click(int index) {
    if (index < ResultExport::kFirstButton) {
        m_enlargedView.open(index);
    } else {
        m_resultExport.exportList(index);
    }
}

void Form1::Command5_Click(int /*index*/) {
    m_enlargedView.close();
}

void Form1::Command4_Click(int /*index*/) {
    m_resultExport.dismissNotice();
}

// --- FormControls over the real widgets ---------------------------------------------------------

QString Form1::numberText() const {
    return m_text1->text();
}

void Form1::setNumberText(const QString &text) {
    m_text1->setText(text);
}

bool Form1::isKeepChosen() const {
    return m_option1[0]->isChecked();
}

bool Form1::isRemoveChosen() const {
    return m_option1[1]->isChecked();
}

void Form1::setKeepChosen(bool chosen) {
    setOptionChosen(m_option1[0], chosen);
}

void Form1::setRemoveChosen(bool chosen) {
    setOptionChosen(m_option1[1], chosen);
}

void Form1::setOptionChosen(QRadioButton *option, bool chosen) {
    // An exclusive group never lets its last chosen button go; lift the rule for the moment so the
    // pair can show "neither chosen".
    m_keepGroup->setExclusive(false);
    option->setChecked(chosen);
    m_keepGroup->setExclusive(true);
}

void Form1::setStartVisible(bool visible) {
    m_command3[0]->setVisible(visible);
}

void Form1::setStopVisible(bool visible) {
    m_command3[1]->setVisible(visible);
}

void Form1::focusStart() {
    m_command3[0]->setFocus(Qt::OtherFocusReason);
}

void Form1::focusStop() {
    m_command3[1]->setFocus(Qt::OtherFocusReason);
}

int Form1::timerInterval() const {
    return m_timer1->isActive() ? m_timer1->interval() : kStoppedInterval;
}

void Form1::setTimerInterval(int milliseconds) {
    if (milliseconds <= 0) {
        m_timer1->stop();
        return;
    }
    m_timer1->start(milliseconds);
}

void Form1::setRollingText(const QString &text) {
    m_label2->setText(text);
}

QListWidget *Form1::list1(int index) const {
    return m_list1.at(static_cast<std::size_t>(index));
}

ListLines &Form1::list(int index) {
    return m_list1Lines.at(static_cast<std::size_t>(index));
}

void Form1::setHeading(int index, const QString &text) {
    m_label1.at(static_cast<std::size_t>(index))->setText(text);
}

void Form1::setResultHighlighted(int index, bool on) {
    // A style sheet rather than the palette: once the skin's sheet is active, a sheet is what the
    // list's background reliably follows.
    list1(index)->setStyleSheet(on ? QStringLiteral("QListWidget { background-color: rgb(%1, %2, %3); }")
                                         .arg(kHighlightColour.red())
                                         .arg(kHighlightColour.green())
                                         .arg(kHighlightColour.blue())
                                   : QString());
}

void Form1::setPoolCountText(const QString &text) {
    m_label3->setText(text);
}

ListLines &Form1::enlargedList() {
    return *m_list2Lines;
}

void Form1::setEnlargedListVisible(bool visible) {
    m_list2->setVisible(visible);
}

void Form1::setEnlargedCloseVisible(bool visible) {
    m_command5->setVisible(visible);
}

void Form1::setExportNoticeVisible(bool visible) {
    m_command4->setVisible(visible);
}

void Form1::setBusy(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++m_busyDepth;
    } else if (m_busyDepth > 0) {
        QApplication::restoreOverrideCursor();
        --m_busyDepth;
    }
}

} // namespace lotdraw
