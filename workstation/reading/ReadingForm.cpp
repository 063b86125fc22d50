#include "reading/ReadingForm.h"

#include <algorithm>

#include "reading/ReadingCodes.h"
#include "startup/WorkstationState.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTextCursor>
#include <QVBoxLayout>

namespace vantor {

namespace {

// The designed geometry is kept in twips, the unit of the main window's layout pass.
constexpr int TwipsPerPixel = 15;
QRect twips(int left, int top, int width, int height)
{
    return {left / TwipsPerPixel, top / TwipsPerPixel, width / TwipsPerPixel, height / TwipsPerPixel};
}

constexpr std::size_t CommentBytes = 1024;

// Display states of a button; the style sheet is only replaced when the state changes.
enum class Look { Plain, Chosen, SelectedGrade };

const char* const LookProperty = "vantorLook";

QString styleFor(Look look)
{
    const QString focus = QStringLiteral(" QPushButton:focus { border: 2px solid rgb(0, 0, 160); }");
    const QString box = QStringLiteral("border: 1px solid rgb(112, 112, 112); border-radius: 2px; padding: 1px 3px;");
    switch (look) {
    case Look::Chosen:
        return "QPushButton { " + box + " background-color: rgb(255, 128, 128); font-weight: bold; }" + focus;
    case Look::SelectedGrade:
        return "QPushButton { " + box + " background-color: rgb(255, 0, 0); }" + focus;
    case Look::Plain:
        break;
    }
    return "QPushButton { " + box + " background-color: palette(button); }" + focus;
}

void applyLook(QPushButton* button, Look look, bool on)
{
    if (button == nullptr)
        return;
    const int wanted = static_cast<int>(on ? look : Look::Plain);
    const QVariant current = button->property(LookProperty);
    if (!current.isValid() || current.toInt() != wanted) {
        button->setProperty(LookProperty, wanted);
        button->setStyleSheet(styleFor(static_cast<Look>(wanted)));
    }
    button->setChecked(on);
}

ReadingSection sectionOfArray(int array)
{
    switch (array) {
    case 1: return ReadingSection::Rounded;
    case 2: return ReadingSection::Irregular;
    case 3: return ReadingSection::GroundGlass;
    case 4: return ReadingSection::Honeycomb;
    case 5: return ReadingSection::Emphysema;
    case 6: return ReadingSection::Large;
    case 9: return ReadingSection::Pleural;
    default: return ReadingSection::Calcification;
    }
}

template <typename T>
T* element(const std::vector<T*>& array, int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= array.size())
        return nullptr;
    return array[static_cast<std::size_t>(index)];
}

template <typename T, std::size_t N>
const std::vector<T*>* arrayAt(const std::array<std::vector<T*>, N>& arrays, int array)
{
    if (array < 0 || static_cast<std::size_t>(array) >= N)
        return nullptr;
    return &arrays[static_cast<std::size_t>(array)];
}

template <typename T>
void store(std::vector<T*>& array, int index, T* widget)
{
    if (array.size() <= static_cast<std::size_t>(index))
        array.resize(static_cast<std::size_t>(index) + 1, nullptr);
    array[static_cast<std::size_t>(index)] = widget;
}

QLabel* heading(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QHBoxLayout* row(QLayout* outer = nullptr)
{
    auto* layout = new QHBoxLayout;
    layout->setSpacing(3);
    layout->setContentsMargins(0, 0, 0, 0);
    if (auto* box = qobject_cast<QBoxLayout*>(outer))
        box->addLayout(layout);
    return layout;
}

QGridLayout* grid()
{
    auto* layout = new QGridLayout;
    layout->setHorizontalSpacing(3);
    layout->setVerticalSpacing(2);
    layout->setContentsMargins(0, 0, 0, 0);
    return layout;
}

QVBoxLayout* column(QWidget* page)
{
    auto* layout = new QVBoxLayout(page);
    layout->setSpacing(4);
    layout->setContentsMargins(6, 4, 6, 4);
    return layout;
}

const char* const ZoneNamesA[6] = {"Right upper", "Right middle", "Right lower", "Left upper", "Left middle", "Left lower"};
const char* const ZoneNamesB[6] = {"Right upper", "Left upper", "Right middle", "Left middle", "Right lower", "Left lower"};

} // namespace

ReadingForm::ReadingForm(QWidget* host, Readings& readings, WorkstationState& state)
    : QObject(host), model_(readings, state), state_(state)
{
    model_.setConfirmation([host](const std::string& message) {
        return QMessageBox::question(host, QStringLiteral("VANTOR-Viewer"), QString::fromStdString(message),
                                     QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel) == QMessageBox::Ok;
    });

    buildQuestion(host);
    SSTab1_ = new QTabWidget(host);
    SSTab1_->setObjectName(QStringLiteral("SSTab1"));
    SSTab1_->setGeometry(twips(120, 5500, 6000, 3600));
    SSTab1_->setUsesScrollButtons(true);
    buildRound();
    buildIrregular();
    buildGradeOnly(TabGroundGlass, 3, QStringLiteral("Ground glass opacity grade"));
    buildGradeOnly(TabHoneycomb, 4, QStringLiteral("Honeycombing grade"));
    buildGradeOnly(TabEmphysema, 5, QStringLiteral("Emphysema grade"));
    buildLarge();
    buildPredominance();
    buildPleural();
    buildCalcification();
    buildSymbols();
    buildComments();
    makePage(TabNormal);
    buildParameters(host);

    connect(SSTab1_, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab == TabComments && txtComment_->isEnabled())
            txtComment_->setFocus(Qt::TabFocusReason);
    });
    placeBesideQuestion();
    ShowReading(state_.CurPatient);
}

ReadingForm::~ReadingForm() = default;

QColor ReadingForm::chosenColor() { return {255, 128, 128}; }
QColor ReadingForm::selectedGradeColor() { return {255, 0, 0}; }

QPushButton* ReadingForm::Command(int array, int index) const
{
    const auto* controls = arrayAt(commands_, array);
    return controls != nullptr ? element(*controls, index) : nullptr;
}

QCheckBox* ReadingForm::Check(int array, int index) const
{
    const auto* controls = arrayAt(checks_, array);
    return controls != nullptr ? element(*controls, index) : nullptr;
}

QPushButton* ReadingForm::Slider(int array, int index) const
{
    const auto* controls = arrayAt(sliders_, array);
    return controls != nullptr ? element(*controls, index) : nullptr;
}

QLabel* ReadingForm::lblGradeSum(int index) const { return element(gradeSums_, index); }

QWidget* ReadingForm::makePage(int tab, bool scrolling)
{
    static const char* const titles[TabCount] = {"Lung.-Round", "Lung.-Irr",    "Lung.-GGO",     "Lung.-HC",
                                                 "Lung.-Em",    "Lung.-Lo",     "Predominance",  "Pleural ab.",
                                                 "Pleural calc.", "Symbols",    "Comments",      "Normal"};
    auto* page = new QWidget;
    if (scrolling) {
        // A small window must not make answers unreachable: the page scrolls, and
        // moving the focus scrolls the focused control into view.
        auto* area = new QScrollArea;
        area->setFrameShape(QFrame::NoFrame);
        area->setWidgetResizable(true);
        area->setFocusPolicy(Qt::NoFocus);
        area->setWidget(page);
        SSTab1_->addTab(area, QString::fromLatin1(titles[tab]));
    } else {
        SSTab1_->addTab(page, QString::fromLatin1(titles[tab]));
    }
    pages_[static_cast<std::size_t>(tab)] = page;
    return page;
}

QPushButton* ReadingForm::addCommand(int array, int index, const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QStringLiteral("Command%1").arg(array));
    button->setProperty("index", index);
    button->setCheckable(true);
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setMinimumHeight(22);
    button->installEventFilter(this);
    applyLook(button, Look::Chosen, false);
    store(commands_[static_cast<std::size_t>(array)], index, button);
    return button;
}

QCheckBox* ReadingForm::addCheck(int array, int index, const QString& caption, QWidget* parent)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QStringLiteral("Check%1").arg(array));
    box->setProperty("index", index);
    box->setFocusPolicy(Qt::StrongFocus);
    box->installEventFilter(this);
    store(checks_[static_cast<std::size_t>(array)], index, box);
    const ReadingSection section = sectionOfArray(array);
    connect(box, &QCheckBox::clicked, this,
            [this, section, index](bool checked) { act(model_.setPredominant(section, index, checked)); });
    return box;
}

QPushButton* ReadingForm::addSlider(int array, int index, const QString& caption, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QStringLiteral("Slider%1").arg(array));
    button->setProperty("index", index);
    button->setCheckable(true);
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setFixedSize(24, 22);
    button->installEventFilter(this);
    applyLook(button, Look::SelectedGrade, false);
    store(sliders_[static_cast<std::size_t>(array)], index, button);
    const ReadingSection section = sectionOfArray(array);
    connect(button, &QPushButton::clicked, this,
            [this, section, index] { act(model_.selectGrade(section, index / 4, index % 4)); });
    return button;
}

// The section's "No" / "Yes" pair, Command<array>(0) and (1).
QWidget* ReadingForm::makeNoYes(int array, QWidget* parent)
{
    auto* holder = new QWidget(parent);
    auto* layout = row();
    holder->setLayout(layout);
    const ReadingSection section = sectionOfArray(array);
    for (int answer = 0; answer < 2; ++answer) {
        QPushButton* button = addCommand(array, answer, answer == 0 ? QStringLiteral("No") : QStringLiteral("Yes"), holder);
        button->setFixedWidth(38);
        layout->addWidget(button);
        connect(button, &QPushButton::clicked, this,
                [this, section, answer] { act(model_.answerSection(section, answer == 1)); });
    }
    layout->addStretch();
    return holder;
}

// Six zone groups of four grade options (columns R and L, rows U, M, L) and the "Sum Grade".
QWidget* ReadingForm::makeGradeGrid(int array, int sumIndex, QWidget* parent)
{
    auto* holder = new QWidget(parent);
    auto* layout = grid();
    holder->setLayout(layout);
    layout->addWidget(new QLabel(QStringLiteral("R"), holder), 0, 1, Qt::AlignHCenter);
    layout->addWidget(new QLabel(QStringLiteral("L"), holder), 0, 2, Qt::AlignHCenter);
    static const char* const rows[3] = {"U", "M", "L"};
    for (int r = 0; r < 3; ++r)
        layout->addWidget(new QLabel(QString::fromLatin1(rows[r]), holder), r + 1, 0);
    // Created column by column so that Tab walks the zones in their stored order.
    for (int zone = 0; zone < 6; ++zone) {
        auto* group = new QWidget(holder);
        group->setAccessibleName(QString::fromLatin1(ZoneNamesA[zone]));
        auto* options = row();
        options->setSpacing(1);
        group->setLayout(options);
        for (int grade = 0; grade < 4; ++grade) {
            QPushButton* option = addSlider(array, 4 * zone + grade, QString::number(grade), group);
            option->setAccessibleName(QStringLiteral("%1 grade %2").arg(QString::fromLatin1(ZoneNamesA[zone])).arg(grade));
            options->addWidget(option);
        }
        layout->addWidget(group, zone % 3 + 1, zone / 3 + 1);
    }
    auto* sumRow = row();
    sumRow->addStretch();
    sumRow->addWidget(new QLabel(QStringLiteral("Sum Grade"), holder));
    auto* sum = new QLabel(QStringLiteral("0"), holder);
    sum->setObjectName(QStringLiteral("lblGradeSum"));
    sum->setProperty("index", sumIndex);
    sum->setMinimumWidth(24);
    sum->setFrameShape(QFrame::Panel);
    sum->setFrameShadow(QFrame::Sunken);
    sum->setAlignment(Qt::AlignCenter);
    store(gradeSums_, sumIndex, sum);
    sumRow->addWidget(sum);
    layout->addLayout(sumRow, 4, 0, 1, 3);
    return holder;
}

// Six toggle buttons in zone order B (columns R and L, rows U, M, L), Command<array>(firstIndex + zone).
QWidget* ReadingForm::makeSiteGrid(int array, int firstIndex, ReadingSection section, QWidget* parent)
{
    auto* holder = new QWidget(parent);
    auto* layout = grid();
    holder->setLayout(layout);
    layout->addWidget(new QLabel(QStringLiteral("R"), holder), 0, 1, Qt::AlignHCenter);
    layout->addWidget(new QLabel(QStringLiteral("L"), holder), 0, 2, Qt::AlignHCenter);
    static const char* const rows[3] = {"U", "M", "L"};
    for (int r = 0; r < 3; ++r)
        layout->addWidget(new QLabel(QString::fromLatin1(rows[r]), holder), r + 1, 0);
    for (int site = 0; site < 6; ++site) {
        QPushButton* button = addCommand(array, firstIndex + site, QString(), holder);
        button->setFixedSize(32, 22);
        button->setAccessibleName(QString::fromLatin1(ZoneNamesB[site]));
        layout->addWidget(button, site / 2 + 1, site % 2 + 1);
        connect(button, &QPushButton::clicked, this, [this, section, site] { act(model_.toggleSite(section, site)); });
    }
    layout->setColumnStretch(3, 1);
    return holder;
}

void ReadingForm::buildQuestion(QWidget* host)
{
    lblInitQuestion_ = new QLabel(QStringLiteral("Is the patient completely negative ? "), host);
    lblInitQuestion_->setObjectName(QStringLiteral("lblInitQuestion"));
    // The designed row: the label as wide as its text, the two buttons right after it.
    const QRect row = twips(120, 5200, 0, 330);
    lblInitQuestion_->setGeometry(row.x(), row.y(), lblInitQuestion_->sizeHint().width(), row.height());
    const int buttonWidth = 600 / TwipsPerPixel;
    QPushButton* yes = addCommand(0, 0, QStringLiteral("Yes"), host);
    yes->setGeometry(lblInitQuestion_->geometry().right() + 6, row.y(), buttonWidth, row.height());
    QPushButton* no = addCommand(0, 1, QStringLiteral("No"), host);
    no->setGeometry(yes->geometry().right() + 5, row.y(), buttonWidth, row.height());
    connect(yes, &QPushButton::clicked, this, [this] {
        const bool cleared = model_.answerQuestionYes();
        if (cleared) {
            ShowReading(state_.CurPatient);
            SSTab1_->setCurrentIndex(TabRound);
        }
        act(model_.currentRecord() != nullptr); // the date is stamped even when cancelled
    });
    connect(no, &QPushButton::clicked, this, [this] { act(model_.answerQuestionNo()); });
}

void ReadingForm::buildRound()
{
    buildItemSection(TabRound, 1, ReadingSection::Rounded, QStringLiteral("Well defined rounded opacities"),
                     QStringLiteral("Size"), {"P (<= 1.5mm)", "Q (1.5-3mm)", "R (3-10mm)"},
                     QStringLiteral("Predominant size"), 0);
}

void ReadingForm::buildIrregular()
{
    buildItemSection(TabIrregular, 2, ReadingSection::Irregular, QStringLiteral("Irregular and/or linear opacities"),
                     QStringLiteral("Type"), {"Intralobular", "Interlobular"}, QStringLiteral("Predominant type"), 1);
}

// A section with its No/Yes, one No/Yes row and predominant box per item
// (sizes or types), and the zone grades beside them.
void ReadingForm::buildItemSection(int tab, int array, ReadingSection section, const QString& title,
                                   const QString& itemsLabel, std::initializer_list<const char*> itemLabels,
                                   const QString& predominantCaption, int sumIndex)
{
    QWidget* page = makePage(tab);
    auto* layout = column(page);
    layout->addWidget(heading(title, page));
    auto* body = row(layout);
    auto* left = new QVBoxLayout;
    left->setSpacing(2);
    body->addLayout(left);
    left->addWidget(makeNoYes(array, page));
    left->addWidget(new QLabel(itemsLabel, page));
    auto* items = grid();
    left->addLayout(items);
    int item = 0;
    for (const char* label : itemLabels) {
        items->addWidget(new QLabel(QString::fromLatin1(label), page), item, 0);
        for (int answer = 0; answer < 2; ++answer) {
            QPushButton* button = addCommand(array, 2 + 2 * item + answer,
                                             answer == 0 ? QStringLiteral("No") : QStringLiteral("Yes"), page);
            button->setFixedWidth(38);
            items->addWidget(button, item, 1 + answer);
            connect(button, &QPushButton::clicked, this,
                    [this, section, item, answer] { act(model_.answerItem(section, item, answer == 1)); });
        }
        items->addWidget(addCheck(array, item, predominantCaption, page), item, 3);
        ++item;
    }
    left->addStretch();
    body->addSpacing(8);
    body->addWidget(makeGradeGrid(array, sumIndex, page), 0, Qt::AlignTop);
    body->addStretch();
    layout->addStretch();
}

void ReadingForm::buildGradeOnly(int tab, int array, const QString& title)
{
    QWidget* page = makePage(tab);
    auto* layout = column(page);
    layout->addWidget(heading(title, page));
    auto* body = row(layout);
    body->addWidget(makeNoYes(array, page), 0, Qt::AlignTop);
    body->addSpacing(8);
    body->addWidget(makeGradeGrid(array, tab, page), 0, Qt::AlignTop);
    body->addStretch();
    layout->addStretch();
}

void ReadingForm::buildLarge()
{
    QWidget* page = makePage(TabLarge);
    auto* layout = column(page);
    layout->addWidget(heading(QStringLiteral("Large opacities"), page));
    auto* body = row(layout);
    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    body->addLayout(left);
    left->addWidget(makeNoYes(6, page));
    auto* sizes = row(left);
    static const char* const captions[3] = {"A", "B", "C"};
    static const char* const tips[3] = {"- area 1/4", "area 1/4 - 1/2", "area 1/2 -"};
    for (int size = 0; size < 3; ++size) {
        QPushButton* button = addCommand(6, 2 + size, QString::fromLatin1(captions[size]), page);
        button->setToolTip(QString::fromLatin1(tips[size]));
        button->setFixedWidth(32);
        sizes->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, size] { act(model_.chooseLargeSize(size)); });
    }
    sizes->addStretch();
    left->addStretch();
    body->addSpacing(12);
    body->addWidget(makeSiteGrid(6, 5, ReadingSection::Large, page), 0, Qt::AlignTop);
    body->addStretch();
    layout->addStretch();
}

void ReadingForm::buildPredominance()
{
    QWidget* page = makePage(TabPredominance);
    auto* layout = column(page);
    layout->addWidget(heading(QStringLiteral("Predominant Parenchymal"), page));
    auto* choices = grid();
    layout->addLayout(choices);
    static const char* const labels[6] = {"Rounded opacities", "Irregular/linear opacities", "Ground glass opacities",
                                          "Honyecombing",      "Emphysema",                  "Large opacities"};
    for (int finding = 0; finding < 6; ++finding) {
        QPushButton* button = addCommand(7, finding, QString::fromLatin1(ParenchymalCodes[static_cast<std::size_t>(finding)].data()), page);
        button->setFixedWidth(48);
        // Two columns of three keep the list inside the tab's height.
        choices->addWidget(button, finding % 3, (finding / 3) * 2);
        choices->addWidget(new QLabel(QString::fromLatin1(labels[finding]), page), finding % 3, (finding / 3) * 2 + 1);
        connect(button, &QPushButton::clicked, this, [this, finding] { act(model_.choosePredominance(finding)); });
    }
    choices->setColumnStretch(4, 1);
    auto* resetRow = row(layout);
    QPushButton* reset = addCommand(7, 6, QStringLiteral("Reset"), page);
    reset->setToolTip(QStringLiteral("Reset this predominant"));
    reset->setFixedWidth(60);
    resetRow->addWidget(reset);
    resetRow->addStretch();
    connect(reset, &QPushButton::clicked, this, [this] { act(model_.resetPredominance()); });
    layout->addStretch();
}

void ReadingForm::buildPleural()
{
    QWidget* page = makePage(TabPleural);
    auto* layout = column(page);
    layout->addWidget(heading(QStringLiteral("Pleural abnormalities"), page));
    auto* body = row(layout);
    auto* left = new QVBoxLayout;
    left->setSpacing(2);
    body->addLayout(left);
    left->addWidget(makeNoYes(9, page));
    auto* types = grid();
    left->addLayout(types);
    static const char* const labels[4] = {"W parietal type", "visceral type", "M", "D"};
    for (int type = 0; type < 4; ++type) {
        types->addWidget(new QLabel(QString::fromLatin1(labels[type]), page), type, 0);
        for (int answer = 0; answer < 2; ++answer) {
            QPushButton* button = addCommand(9, 2 + 2 * type + answer, answer == 0 ? QStringLiteral("No") : QStringLiteral("Yes"), page);
            button->setFixedWidth(38);
            types->addWidget(button, type, 1 + answer);
            connect(button, &QPushButton::clicked, this,
                    [this, type, answer] { act(model_.answerItem(ReadingSection::Pleural, type, answer == 1)); });
        }
        types->addWidget(addCheck(9, type, QStringLiteral("Predominant"), page), type, 3);
    }
    left->addStretch();
    body->addSpacing(8);
    body->addWidget(makeSiteGrid(9, 10, ReadingSection::Pleural, page), 0, Qt::AlignTop);
    body->addSpacing(8);

    // Extent and width: rows right and left, four options each.
    auto* extent = new QWidget(page);
    auto* table = grid();
    extent->setLayout(table);
    table->addWidget(new QLabel(QStringLiteral("Extent / Width"), extent), 0, 0, 1, 9);
    static const char* const extentMarks[4] = {"", "up to 90\n(<1/4)", ">90\nup to 180\n(1/4-1/2)", ">180\n(>1/2)"};
    static const char* const widthMarks[4] = {"", "up to 5mm", "5-10mm", "> 10mm"};
    static const char* const widthCaptions[4] = {"0", "a", "b", "c"};
    for (int value = 1; value < 4; ++value) {
        auto* extentMark = new QLabel(QString::fromLatin1(extentMarks[value]), extent);
        auto* widthMark = new QLabel(QString::fromLatin1(widthMarks[value]), extent);
        for (QLabel* mark : {extentMark, widthMark}) {
            QFont font = mark->font();
            font.setPointSizeF(font.pointSizeF() * 0.75);
            mark->setFont(font);
            mark->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        }
        table->addWidget(extentMark, 1, 1 + value);
        table->addWidget(widthMark, 1, 5 + value);
    }
    static const char* const sides[2] = {"R", "L"};
    for (int side = 0; side < 2; ++side) {
        table->addWidget(new QLabel(QString::fromLatin1(sides[side]), extent), 2 + side, 0);
        for (int kind = 0; kind < 2; ++kind) { // 0 extent, 1 width
            const int group = 2 * side + kind;
            for (int value = 0; value < 4; ++value) {
                const QString caption = kind == 0 ? QString::number(value) : QString::fromLatin1(widthCaptions[value]);
                table->addWidget(addSlider(9, 4 * group + value, caption, extent), 2 + side, 1 + 4 * kind + value);
            }
        }
    }
    body->addWidget(extent, 0, Qt::AlignTop);
    body->addStretch();
    layout->addStretch();
}

void ReadingForm::buildCalcification()
{
    QWidget* page = makePage(TabCalcification);
    auto* layout = column(page);
    layout->addWidget(heading(QStringLiteral("Pleural calcifications"), page));
    layout->addWidget(makeNoYes(10, page));
    layout->addWidget(new QLabel(QStringLiteral("Localisation"), page));
    auto* sites = row(layout);
    static const char* const captions[3] = {"W", "M", "D"};
    static const char* const tips[3] = {"Wall", "Mediastinum", "Diaphragm"};
    for (int site = 0; site < 3; ++site) {
        QPushButton* button = addCommand(10, 2 + site, QString::fromLatin1(captions[site]), page);
        button->setToolTip(QString::fromLatin1(tips[site]));
        button->setFixedWidth(32);
        sites->addWidget(button);
        connect(button, &QPushButton::clicked, this,
                [this, site] { act(model_.toggleSite(ReadingSection::Calcification, site)); });
    }
    sites->addStretch();
    layout->addStretch();
}

void ReadingForm::buildSymbols()
{
    QWidget* page = makePage(TabSymbols);
    auto* layout = column(page);
    auto* buttons = grid();
    layout->addLayout(buttons);
    for (int symbol = 0; symbol < SymbolCount; ++symbol) {
        const auto index = static_cast<std::size_t>(symbol);
        QPushButton* button = addCommand(8, symbol, QString::fromLatin1(SymbolCodes[index].data()), page);
        if (!SymbolTooltips[index].empty())
            button->setToolTip(QString::fromLatin1(SymbolTooltips[index].data()));
        button->setFixedWidth(40);
        // "None" stands apart on the first row; the 22 symbols follow in rows of eight.
        if (symbol == 0)
            buttons->addWidget(button, 0, 0);
        else
            buttons->addWidget(button, 1 + (symbol - 1) / 8, (symbol - 1) % 8);
        connect(button, &QPushButton::clicked, this, [this, symbol] { act(model_.toggleSymbol(symbol)); });
    }
    buttons->setColumnStretch(8, 1);
    layout->addStretch();
}

void ReadingForm::buildComments()
{
    // No layout here: the main window's layout pass sets the box's width itself.
    QWidget* page = makePage(TabComments, false);
    auto* label = new QLabel(QStringLiteral("Comments / Summary (Free Text)"), page);
    label->setGeometry(twips(200, 90, 5600, 270));
    txtComment_ = new QPlainTextEdit(page);
    txtComment_->setObjectName(QStringLiteral("txtComment"));
    txtComment_->setGeometry(twips(200, 390, 5600, 2700));
    txtComment_->setTabChangesFocus(true);
    txtComment_->installEventFilter(this);
    connect(txtComment_, &QPlainTextEdit::textChanged, this, &ReadingForm::commentEdited);
}

void ReadingForm::buildParameters(QWidget* host)
{
    auto makeCombo = [host](const char* name, const auto& entries) {
        auto* combo = new QComboBox(host);
        combo->setObjectName(QString::fromLatin1(name));
        for (std::string_view entry : entries)
            combo->addItem(QString::fromLatin1(entry.data(), static_cast<qsizetype>(entry.size())));
        combo->setFocusPolicy(Qt::StrongFocus);
        return combo;
    };
    auto makeLabel = [host](const char* name, const char* text) {
        auto* label = new QLabel(QString::fromLatin1(text), host);
        label->setObjectName(QString::fromLatin1(name));
        return label;
    };
    lblModality_ = makeLabel("lblModality", "Modality");
    ComboModality_ = makeCombo("ComboModality", ModalityEntries);
    lblPosture_ = makeLabel("lblPosture", "Posture");
    ComboPosture_ = makeCombo("ComboPosture", PostureEntries);
    lblQuality_ = makeLabel("lblQuality", "Quality");
    ComboQuality_ = makeCombo("ComboQuality", QualityEntries);
    lblModality_->setBuddy(ComboModality_);
    lblPosture_->setBuddy(ComboPosture_);
    lblQuality_->setBuddy(ComboQuality_);

    // Reader information: shown for reference, the record is stamped by the workstation.
    fraReaderInf_ = new QGroupBox(QStringLiteral("Reader"), host);
    fraReaderInf_->setObjectName(QStringLiteral("fraReaderInf"));
    fraReaderInf_->setGeometry(twips(6300, 5500, 2400, 1500));
    auto* frame = new QGridLayout(fraReaderInf_);
    frame->setContentsMargins(4, 4, 4, 4);
    frame->setSpacing(2);
    auto makeText = [this](const char* name) {
        auto* text = new QLineEdit(fraReaderInf_);
        text->setObjectName(QString::fromLatin1(name));
        text->setReadOnly(true);
        return text;
    };
    txtReaderName_ = makeText("txtReaderName");
    txtReaderID_ = makeText("txtReaderID");
    txtYear_ = makeText("txtYear");
    txtMonth_ = makeText("txtMonth");
    txtDate_ = makeText("txtDate");
    frame->addWidget(txtReaderName_, 0, 0, 1, 3);
    frame->addWidget(txtReaderID_, 1, 0, 1, 3);
    frame->addWidget(txtYear_, 2, 0);
    frame->addWidget(txtMonth_, 2, 1);
    frame->addWidget(txtDate_, 2, 2);
    fraReaderInf_->hide();
}

int ReadingForm::parametersWidth() const
{
    int width = 0;
    for (const QWidget* label : {static_cast<QWidget*>(lblModality_), static_cast<QWidget*>(lblPosture_),
                                 static_cast<QWidget*>(lblQuality_)})
        width += label->sizeHint().width() + 4;
    for (const QWidget* combo : {static_cast<QWidget*>(ComboModality_), static_cast<QWidget*>(ComboPosture_),
                                 static_cast<QWidget*>(ComboQuality_)})
        width += combo->sizeHint().width() + 10;
    return width;
}

void ReadingForm::placeBesideQuestion(int leftmost)
{
    QPushButton* no = Command(0, 1);
    const int top = no->y();
    const int height = no->height();
    int left = std::max(no->x() + no->width() + 12, leftmost);
    const std::pair<QLabel*, QComboBox*> pairs[3] = {
        {lblModality_, ComboModality_}, {lblPosture_, ComboPosture_}, {lblQuality_, ComboQuality_}};
    for (const auto& [label, combo] : pairs) {
        const int labelWidth = label->sizeHint().width();
        label->setGeometry(left, top, labelWidth, height);
        left += labelWidth + 4;
        const int comboWidth = combo->sizeHint().width();
        combo->setGeometry(left, top, comboWidth, height);
        left += comboWidth + 10;
    }
}

void ReadingForm::ShowReading(int patient)
{
    model_.ShowReading(patient);
    const ReadingRecord* record = model_.currentRecord();
    const QString comment = record != nullptr ? QString::fromUtf8(record->Comment.trimmed()) : QString();
    {
        const QSignalBlocker blocker(txtComment_);
        txtComment_->setPlainText(comment);
    }
    acceptedComment_ = comment;
    refresh();
}

void ReadingForm::refresh()
{
    const ReadingRecord* record = model_.currentRecord();
    const bool active = record != nullptr;

    Command(0, 0)->setEnabled(active);
    Command(0, 1)->setEnabled(active);
    for (QWidget* page : pages_)
        page->setEnabled(active);
    applyLook(Command(0, 0), Look::Chosen, active && record->Findings == 0);
    applyLook(Command(0, 1), Look::Chosen, active && record->Findings == 1);

    for (int array : {1, 2, 3, 4, 5, 6, 9, 10}) {
        const ReadingSection section = sectionOfArray(array);
        const bool present = model_.sectionPresent(section);
        applyLook(Command(array, 0), Look::Chosen, active && !present);
        applyLook(Command(array, 1), Look::Chosen, active && present);
        for (int item = 0; item < ReadingFormModel::itemCount(section); ++item) {
            const bool on = model_.itemPresent(section, item);
            applyLook(Command(array, 2 + 2 * item), Look::Chosen, active && !on);
            applyLook(Command(array, 3 + 2 * item), Look::Chosen, active && on);
            Check(array, item)->setChecked(model_.predominantItem(section) == item);
        }
        for (int zone = 0; zone < ReadingFormModel::zoneCount(section); ++zone) {
            const int grade = model_.grade(section, zone);
            for (int value = 0; value < 4; ++value)
                applyLook(Slider(array, 4 * zone + value), Look::SelectedGrade, active && grade == value);
        }
        const int firstSite = array == 6 ? 5 : array == 9 ? 10 : 2;
        for (int site = 0; site < ReadingFormModel::siteCount(section); ++site)
            applyLook(Command(array, firstSite + site), Look::Chosen, model_.siteOn(section, site));
        if (array <= 5)
            lblGradeSum(array - 1)->setText(QString::number(model_.gradeSum(section)));
    }
    for (int size = 0; size < 3; ++size)
        applyLook(Command(6, 2 + size), Look::Chosen, active && record->LargeSize == size);
    for (int finding = 0; finding < 6; ++finding)
        applyLook(Command(7, finding), Look::Chosen, active && record->PredominantParenchymal == finding);
    applyLook(Command(7, 6), Look::Chosen, false);
    for (int symbol = 0; symbol < SymbolCount; ++symbol)
        applyLook(Command(8, symbol), Look::Chosen, active && record->Symbol[static_cast<std::size_t>(symbol)] != 0);

    txtReaderName_->setText(QString::fromStdString(state_.ReaderName));
    txtReaderID_->setText(active ? QString::fromUtf8(record->ReaderID.trimmed()) : QString());
    const QStringList date = QString::fromStdString(state_.ReadingDate).split(QLatin1Char('/'));
    txtYear_->setText(date.value(0));
    txtMonth_->setText(date.value(1));
    txtDate_->setText(date.value(2));
}

void ReadingForm::act(bool changed)
{
    refresh();
    if (changed)
        emit readingChanged();
}

void ReadingForm::commentEdited()
{
    const QString text = txtComment_->toPlainText();
    const QByteArray utf8 = text.toUtf8();
    const std::string_view bytes(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    if (ReadingFormModel::trimComment(bytes).size() > CommentBytes) {
        // The record holds 1024 bytes: refuse the edit rather than keep text that would not be saved.
        const QSignalBlocker blocker(txtComment_);
        txtComment_->setPlainText(acceptedComment_);
        txtComment_->moveCursor(QTextCursor::End);
        QApplication::beep();
        return;
    }
    acceptedComment_ = text;
    if (model_.changeComment(bytes))
        emit readingChanged();
}

bool ReadingForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtComment_) {
        if (event->type() == QEvent::FocusOut && model_.leaveComment())
            emit readingChanged();
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier) {
            if (auto* button = qobject_cast<QAbstractButton*>(watched); button != nullptr && button->isEnabled()) {
                button->click();
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace vantor
