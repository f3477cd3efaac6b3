// Building TForm1: the notebook's four pages, the register rows, the connector, the pop-up
// menus; start-up and the settings file.
#include "portscope/gui/scope_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <cstdio>
#include <limits>

#include "build_version.h"
#include "portscope/display_tables.h"
#include "portscope/gui/bit_setter_window.h"
#include "portscope/gui/colour_box.h"
#include "portscope/gui/connector_view.h"

namespace portscope {

namespace {

constexpr int kNoPosition = std::numeric_limits<int>::min();

QPushButton* button(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

QLabel* caption(const QString& text, QWidget* parent) {
    return new QLabel(text, parent);
}

}  // namespace

ClickCell::ClickCell(const QString& name, const QString& text, QWidget* parent)
    : QLabel(text, parent) {
    setObjectName(name);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAlignment(Qt::AlignCenter);
    setMinimumHeight(26);
    setContextMenuPolicy(Qt::CustomContextMenu);
    QFont f = font();
    f.setFamily(QStringLiteral("Monospace"));
    f.setStyleHint(QFont::TypeWriter);
    f.setPointSizeF(f.pointSizeF() + 1);
    setFont(f);
}

void ClickCell::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

ScopeWindow::ScopeWindow(IoUnit& io, std::filesystem::path iniPath, const QString& backend,
                         QWidget* parent)
    : QWidget(parent),
      io_(io),
      monitor_(io),
      iniPath_(std::move(iniPath)),
      backend_(backend),
      highColour_(kDefaultHighColour),
      lowColour_(kDefaultLowColour) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("portscope - ") + backend_);
    showError = [this](const QString& text) {
        QMessageBox::critical(this, QStringLiteral("portscope"), text);
    };
    beep = [] { QApplication::beep(); };

    notebook_ = new QStackedWidget(this);
    notebook_->setObjectName(QStringLiteral("Notebook1"));
    const char* names[] = {"Main", "Config", "Config2", "About"};
    std::array<QWidget*, 4> pages{};
    for (size_t i = 0; i < pages.size(); ++i) {
        pages[i] = new QWidget(notebook_);
        pages[i]->setObjectName(QString::fromLatin1(names[i]));
        notebook_->addWidget(pages[i]);
    }
    buildMainPage(pages[0]);
    buildConfigPage(pages[1]);
    buildConfig2Page(pages[2]);
    buildAboutPage(pages[3]);
    buildMenus();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(notebook_);

    bitSetter_ = new BitSetterWindow(io_, this);

    sampleTimer_.setTimerType(Qt::PreciseTimer);
    connect(&sampleTimer_, &QTimer::timeout, this, &ScopeWindow::sampleNow);
    idleTimer_.setTimerType(Qt::PreciseTimer);
    connect(&idleTimer_, &QTimer::timeout, this, &ScopeWindow::idleTick);
    blinkTimer_.setSingleShot(true);
    blinkTimer_.setInterval(50);
    connect(&blinkTimer_, &QTimer::timeout, this, [this] {
        blinkIndicator_->setStyleSheet(
            QStringLiteral("background:%1; border:1px solid black; border-radius:7px;")
                .arg(toQColor(lowColour_).name()));
    });
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s != Qt::ApplicationActive) hideEdit();
    });
}

ScopeWindow::~ScopeWindow() = default;

void ScopeWindow::buildMainPage(QWidget* page) {
    auto* grid = new QGridLayout;
    grid->setSpacing(3);
    const QString headers[] = {QStringLiteral("Port"), QStringLiteral("Dec"), QStringLiteral("Hex"),
                               QStringLiteral("Binary"), QStringLiteral("Beep")};
    const QString headerNames[] = {QStringLiteral("PortHeader"), QStringLiteral("DecHeader"),
                                   QStringLiteral("HexHeader"), QStringLiteral("BinHeader"),
                                   QStringLiteral("BeepHeader")};
    for (int c = 0; c < 5; ++c) {
        auto* h = new ClickCell(headerNames[c], headers[c], page);
        h->setFrameStyle(QFrame::Panel | QFrame::Raised);
        h->setContextMenuPolicy(Qt::NoContextMenu);
        grid->addWidget(h, 0, c);
        if (c == 0)
            connect(h, &ClickCell::clicked, this, [this] {
                if (monitor_.selectNextSlot()) portChanged();
            });
        if (c == 4)
            connect(h, &ClickCell::clicked, this, [this] {
                for (int k = 0; k < 3; ++k) monitor_.flipBeep(k);
                showBeeps();
            });
    }
    const char* columns[] = {"Dec", "Hex", "Bin"};
    const char* beepNames[] = {"Panel10", "Panel15", "Panel20"};
    for (int r = 0; r < 3; ++r) {
        const auto ri = static_cast<size_t>(r);
        const QString n = QString::number(r + 1);
        address_[ri] = new ClickCell(QStringLiteral("Port%1Label").arg(n), QString(), page);
        address_[ri]->setProperty("tag", r);
        connect(address_[ri], &ClickCell::clicked, this, [this] {
            if (monitor_.selectNextSlot()) portChanged();
        });
        connect(address_[ri], &QWidget::customContextMenuRequested, this, [this, r](QPoint at) {
            menuRow_ = r;
            portMenu_->popup(address_[static_cast<size_t>(r)]->mapToGlobal(at));
        });
        grid->addWidget(address_[ri], r + 1, 0);
        for (int c = 0; c < 3; ++c) {
            auto* cell = new ClickCell(QStringLiteral("Port%1%2").arg(n, QLatin1String(columns[c])),
                                       QString(), page);
            cell->setProperty("tag", r);
            values_[ri][static_cast<size_t>(c)] = cell;
            connect(cell, &ClickCell::clicked, this, [this, r, c] { startEdit(r, c); });
            connect(cell, &QWidget::customContextMenuRequested, this, [this, r, cell](QPoint at) {
                hideEdit();
                menuRow_ = r;
                valueMenu_->popup(cell->mapToGlobal(at));
            });
            grid->addWidget(cell, r + 1, c + 1);
        }
        beepCells_[ri] =
            new ClickCell(QString::fromLatin1(beepNames[r]), QStringLiteral("No"), page);
        beepCells_[ri]->setProperty("tag", r);
        connect(beepCells_[ri], &ClickCell::clicked, this, [this, r] {
            monitor_.flipBeep(r);
            showBeeps();
        });
        connect(beepCells_[ri], &QWidget::customContextMenuRequested, this, [this, r](QPoint at) {
            menuRow_ = r;
            beepMenu_->popup(beepCells_[static_cast<size_t>(r)]->mapToGlobal(at));
        });
        grid->addWidget(beepCells_[ri], r + 1, 4);
    }
    grid->setColumnMinimumWidth(3, 110);

    connector_ = new ConnectorView(page);
    connect(connector_, &ConnectorView::pinClicked, this, &ScopeWindow::pinClicked);

    edit_ = new QLineEdit(page);
    edit_->setObjectName(QStringLiteral("Edit1"));
    edit_->setToolTip(QStringLiteral("Esc to cancel"));
    edit_->setAlignment(Qt::AlignCenter);
    edit_->hide();
    edit_->installEventFilter(this);
    connect(edit_, &QLineEdit::returnPressed, this, &ScopeWindow::finishEdit);

    blinkIndicator_ = new QWidget(page);
    blinkIndicator_->setObjectName(QStringLiteral("BlinkIndicator"));
    blinkIndicator_->setFixedSize(14, 14);
    blinkIndicator_->setToolTip(QStringLiteral("Blinks on every sample"));
    blinkIndicator_->hide();

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(blinkIndicator_);
    bottom->addStretch();
    auto* settings =
        button(QStringLiteral("SettingsButton"), QStringLiteral("Click for settings "), page);
    connect(settings, &QPushButton::clicked, this, [this] { showPage("Config"); });
    bottom->addWidget(settings);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(grid);
    layout->addWidget(connector_);
    layout->addStretch(1);
    layout->addLayout(bottom);
}

void ScopeWindow::buildConfigPage(QWidget* page) {
    conType_ = new QComboBox(page);
    conType_->setObjectName(QStringLiteral("ConType"));
    conType_->addItems({QStringLiteral("female"), QStringLiteral("male")});
    conType_->setToolTip(QStringLiteral("Sets connector pin orientation"));
    connect(conType_, &QComboBox::currentIndexChanged, this,
            [this](int index) { connector_->setMale(index == 1); });
    highBox_ = new ColourBox(page);
    highBox_->setObjectName(QStringLiteral("HighColorBox"));
    highBox_->setToolTip(QStringLiteral("Colour of a logic 1"));
    highBox_->setColour(highColour_);
    connect(highBox_, &ColourBox::colourChosen, this, [this](uint32_t c) {
        highColour_ = c;
        redrawAfterColourChange();
    });
    lowBox_ = new ColourBox(page);
    lowBox_->setObjectName(QStringLiteral("LowColorBox"));
    lowBox_->setToolTip(QStringLiteral("Colour of a logic 0"));
    lowBox_->setColour(lowColour_);
    connect(lowBox_, &ColourBox::colourChosen, this, [this](uint32_t c) {
        lowColour_ = c;
        paintGround();
        redrawAfterColourChange();
    });
    auto* form = new QGridLayout;
    form->addWidget(caption(QStringLiteral("Connector"), page), 0, 0);
    form->addWidget(conType_, 0, 1);
    form->addWidget(caption(QStringLiteral("High (logic 1)"), page), 1, 0);
    form->addWidget(highBox_, 1, 1);
    form->addWidget(caption(QStringLiteral("Low (logic 0)"), page), 2, 0);
    form->addWidget(lowBox_, 2, 1);
    auto* back = button(QStringLiteral("ConfigBackButton"), QStringLiteral("Go back"), page);
    connect(back, &QPushButton::clicked, this, [this] { showPage("Main"); });
    auto* more = button(QStringLiteral("MoreSettingsButton"),
                        QStringLiteral("Click for more settings"), page);
    connect(more, &QPushButton::clicked, this, [this] { showPage("Config2"); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addStretch();
    buttons->addWidget(more);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addStretch();
    layout->addLayout(buttons);
}

void ScopeWindow::buildConfig2Page(QWidget* page) {
    sampleRate_ = new QComboBox(page);
    sampleRate_->setObjectName(QStringLiteral("SampleRate"));
    for (const char* item : sampleRates()) sampleRate_->addItem(QString::fromLatin1(item));
    connect(sampleRate_, &QComboBox::currentIndexChanged, this, &ScopeWindow::setSampleRate);
    onTop_ = new QCheckBox(QStringLiteral("Always on top"), page);
    onTop_->setObjectName(QStringLiteral("OnTop"));
    connect(onTop_, &QCheckBox::toggled, this, &ScopeWindow::setOnTop);
    disableCon_ = new QCheckBox(QStringLiteral("Disable connector"), page);
    disableCon_->setObjectName(QStringLiteral("DisableCon"));
    connect(disableCon_, &QCheckBox::toggled, this, &ScopeWindow::setConnectorDisabled);
    sampleBlink_ = new QCheckBox(QStringLiteral("Blink on sample"), page);
    sampleBlink_->setObjectName(QStringLiteral("SampleBlink"));
    connect(sampleBlink_, &QCheckBox::toggled, this,
            [this](bool on) { blinkIndicator_->setVisible(on); });
    auto* rate = new QHBoxLayout;
    rate->addWidget(caption(QStringLiteral("Sample rate"), page));
    rate->addWidget(sampleRate_, 1);
    auto* back = button(QStringLiteral("Config2BackButton"), QStringLiteral("Go back"), page);
    connect(back, &QPushButton::clicked, this, [this] { showPage("Config"); });
    auto* about =
        button(QStringLiteral("AboutButton"), QStringLiteral("Click for about information"), page);
    connect(about, &QPushButton::clicked, this, [this] { showPage("About"); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addStretch();
    buttons->addWidget(about);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(rate);
    layout->addWidget(onTop_);
    layout->addWidget(disableCon_);
    layout->addWidget(sampleBlink_);
    layout->addStretch();
    layout->addLayout(buttons);
}

void ScopeWindow::buildAboutPage(QWidget* page) {
    auto* title = new QLabel(QStringLiteral("portscope " CORVANE_BUILD_VERSION), page);
    QFont f = title->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.6);
    title->setFont(f);
    auto* text = new QLabel(
        QStringLiteral("Watches the data, status and control registers of a parallel port and "
                       "sets the data and control bits.\nPart of Corvane, the hot-wire foam "
                       "cutter's program.\n\nPort access: %1\nSettings: %2")
            .arg(backend_, iniPath_.empty() ? QStringLiteral("not kept")
                                            : QString::fromStdString(iniPath_.string())),
        page);
    text->setObjectName(QStringLiteral("AboutText"));
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* back = button(QStringLiteral("AboutBackButton"), QStringLiteral("Go back"), page);
    connect(back, &QPushButton::clicked, this, [this] { showPage("Config2"); });
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(title);
    layout->addWidget(text);
    layout->addStretch();
    layout->addWidget(back, 0, Qt::AlignLeft);
}

void ScopeWindow::buildMenus() {
    const QString bitSetter = QStringLiteral("&Bit setter...");
    portMenu_ = new QMenu(this);
    portMenu_->setObjectName(QStringLiteral("PortMenu"));
    portMenu_->addAction(bitSetter, this, [this] { openBitSetter(menuRow_); });
    valueMenu_ = new QMenu(this);
    valueMenu_->setObjectName(QStringLiteral("ValueMenu"));
    valueMenu_->addAction(bitSetter, this, [this] { openBitSetter(menuRow_); });
    valueMenu_->addSeparator();
    valueMenu_->addAction(QStringLiteral("&Invert all"), this, [this] {
        hideEdit();
        writeRegister(menuRow_, static_cast<uint8_t>(~monitor_.read(menuRow_)));
    });
    valueMenu_->addAction(QStringLiteral("&Clear All"), this, [this] {
        hideEdit();
        writeRegister(menuRow_, 0);
    });
    valueMenu_->addAction(QStringLiteral("&Set All"), this, [this] {
        hideEdit();
        writeRegister(menuRow_, 255);
    });
    beepMenu_ = new QMenu(this);
    beepMenu_->setObjectName(QStringLiteral("BeepMenu"));
    beepMenu_->addAction(bitSetter, this, [this] { openBitSetter(menuRow_); });
}

void ScopeWindow::showBeeps() {
    for (int k = 0; k < 3; ++k)
        beepCells_[static_cast<size_t>(k)]->setText(
            monitor_.beeps() & (1 << k) ? QStringLiteral("Yes") : QStringLiteral("No"));
}

void ScopeWindow::showPage(const char* name) {
    if (QWidget* page = notebook_->findChild<QWidget*>(QString::fromLatin1(name)))
        notebook_->setCurrentWidget(page);
}

void ScopeWindow::start() {
    io_.grantCandidates();
    showPage("Main");
    ScopeSettings defaults = currentSettings();
    defaults.port = 0;
    defaults.connector = 0;
    defaults.sampleRate = 0;
    defaults.beeps = 0;
    defaults.onTop = defaults.disableCon = defaults.sampleBlink = false;
    // Without saved positions the window system places both windows.
    defaults.left = defaults.top = defaults.bitSetLeft = defaults.bitSetTop = kNoPosition;
    const ScopeSettings saved = iniPath_.empty() ? defaults : readSettings(iniPath_, defaults);
    applySettings(saved);
    monitor_.start(static_cast<uint16_t>(saved.port));
    addPortItems();
    portChanged();
}

void ScopeWindow::applySettings(const ScopeSettings& s) {
    highColour_ = s.highColor;
    lowColour_ = s.lowColor;
    highBox_->setColour(highColour_);
    lowBox_->setColour(lowColour_);
    // A position on no screen any more (a monitor unplugged, a hand edit) is not taken.
    const auto onScreen = [](int left, int top) {
        return left != kNoPosition && top != kNoPosition &&
               QGuiApplication::screenAt(QPoint(left + 40, top + 20)) != nullptr;
    };
    if (onScreen(s.left, s.top)) move(s.left, s.top);
    if (onScreen(s.bitSetLeft, s.bitSetTop)) bitSetter_->move(s.bitSetLeft, s.bitSetTop);
    conType_->setCurrentIndex(s.connector);
    connector_->setMale(s.connector == 1);
    sampleRate_->setCurrentIndex(s.sampleRate);
    setSampleRate(s.sampleRate);
    monitor_.setBeeps(static_cast<uint8_t>(s.beeps));
    showBeeps();
    onTop_->setChecked(s.onTop);
    disableCon_->setChecked(s.disableCon);
    setConnectorDisabled(s.disableCon);
    sampleBlink_->setChecked(s.sampleBlink);
    blinkIndicator_->setVisible(s.sampleBlink);
}

ScopeSettings ScopeWindow::currentSettings() const {
    ScopeSettings s;
    s.highColor = highColour_;
    s.lowColor = lowColour_;
    s.left = pos().x();
    s.top = pos().y();
    s.port = monitor_.base();
    s.connector = conType_->currentIndex();
    s.sampleRate = sampleRate_->currentIndex();
    s.beeps = monitor_.beeps();
    s.onTop = onTop_->isChecked();
    s.disableCon = disableCon_->isChecked();
    s.sampleBlink = sampleBlink_->isChecked();
    // A bit setter never shown nor placed stands where it would open: over the main window.
    const QPoint setterAt =
        bitSetter_->placed()
            ? bitSetter_->pos()
            : geometry().center() - QPoint(bitSetter_->width() / 2, bitSetter_->height() / 2);
    s.bitSetLeft = setterAt.x();
    s.bitSetTop = setterAt.y();
    return s;
}

bool ScopeWindow::saveSettings(bool inWindow) {
    if (iniPath_.empty()) return true;
    try {
        writeSettings(iniPath_, currentSettings());
        return true;
    } catch (const std::exception& e) {
        const QString text =
            QStringLiteral("The settings were not saved: %1").arg(QString::fromLocal8Bit(e.what()));
        if (inWindow && showError)
            showError(text);
        else
            std::fprintf(stderr, "portscope: %s\n", text.toLocal8Bit().constData());
        return false;
    }
}

void ScopeWindow::closeEvent(QCloseEvent* event) {
    // Said once; closing is not refused for it.
    if (!settingsSaved_) saveSettings(true);
    settingsSaved_ = true;
    QWidget::closeEvent(event);
}

}  // namespace portscope
