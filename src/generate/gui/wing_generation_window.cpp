#include "generate/gui/wing_generation_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/file_io.h"
#include "common/number_format.h"
#include "common/number_text.h"
#include "common/run_error.h"
#include "generate/active_delay_set.h"
#include "generate/airfoil_input.h"
#include "generate/cut_set_layout.h"
#include "generate/gui/airfoil_prepare_window.h"
#include "generate/gui/cut_file_commands.h"
#include "generate/gui/drawing_choice_window.h"
#include "generate/gui/face_geometry_box.h"
#include "generate/gui/face_outline_preview.h"
#include "generate/gui/wing_features_box.h"
#include "generate/materials.h"
#include "generate/wing_mirror.h"
#include "machine/workspace.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/placement.h"
#include "platform/gui/toolbar.h"

namespace corvane {

namespace {

// The material in use (materials.txt) goes with the request; false after the box that says why
// nothing is generated: a set made with the settings' kerf while a material is chosen would be
// cut to the wrong size without a word.
bool takeMaterialInUse(const Workspace& ws, Dialogs& dialogs, GenerationRequest& request) {
    MaterialTable table;
    try {
        table = readMaterials(ws.file(kMaterialsFileName));
    } catch (const std::exception& e) {
        dialogs.message(
            QString::fromUtf8("materials.txt 无法读取, 不知道使用中的材料, 因此不生成切割文件。"
                              "请在 材料与切缝 窗口中查看。") +
            QStringLiteral("\r") + QString::fromUtf8(e.what()));
        return false;
    }
    if (table.inUse.empty()) return true;
    const Material* m = table.find(table.inUse);
    if (m == nullptr) {
        dialogs.message(QString::fromUtf8("使用中的材料不在 materials.txt 中, 因此不生成切割文件。"
                                          "请在 材料与切缝 窗口中重新选择。") +
                        QStringLiteral("\r") + QString::fromStdString(table.inUse));
        return false;
    }
    request.material = *m;
    return true;
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// A washout angle for the face geometry: the leading number, 0 when unticked or unreadable.
double faceAngle(bool on, const std::string& text) {
    if (!on) return 0;
    try {
        return leadingNumber(text);
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace

WingGenerationWindow::WingGenerationWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent,
                                           CutSetKind kind)
    : QWidget(parent),
      kind_(kind),
      errorLabel_(kind == CutSetKind::Wing ? kWingGenerationLabel : kFoamGenerationLabel),
      ws_(ws),
      dialogs_(dialogs),
      generator_(ws) {
    const bool wing = kind_ == CutSetKind::Wing;
    setObjectName(wing ? "Form14" : "Form1");
    setWindowFlag(Qt::Window);
    setWindowTitle(wing ? "机翼切割 - 生成切割文件" : "泡沫切割 - 生成切割文件");

    toolbar_ = new Toolbar(this);
    toolbar_->setButtons(
        {{"Generate", "Generate", "generate", "Generate Cut File"},
         {"Reset", "Reset", "reset", "Reset Values"},
         {"Stop", "Stop", "stop", "Stop Generation"},
         toolbarSeparator(),
         {"Add Delay Points", "Add Delay Points", "delay", "Add Delay Points"},
         toolbarSeparator(),
         {"Done", "Done", "done", "Done"},
         {"Prepare Airfoils", "Prepare Airfoils", "airfoils", "Prepare root and tip airfoils"}});
    connect(toolbar_, &Toolbar::buttonClicked, this, &WingGenerationWindow::onToolbar);

    auto label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        return l;
    };
    auto text = [this](const char* name, const QString& initial) {
        auto* e = new QLineEdit(initial, this);
        e->setObjectName(name);
        return e;
    };
    auto browseButton = [this](const char* name, bool left) {
        auto* b = new QPushButton("浏览", this);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, [this, left] { browse(left); });
        return b;
    };

    leftPath_ = text("Text1", "");
    rightPath_ = text("Text2", "");
    leftChord_ = text("Text6", "");
    rightChord_ = text("Text7", "");
    // Room for a size next to the foam window's longer labels.
    leftChord_->setMinimumWidth(90);
    rightChord_->setMinimumWidth(90);
    step_ = text("Text5", "");
    step_->setReadOnly(true);
    if (wing) {
        leftAmount_ = text("left_amount", "0");
        rightAmount_ = text("right_amount", "0");
        leftCheck_ = new QCheckBox("Include +/- washout", this);
        leftCheck_->setObjectName("left_check");
        rightCheck_ = new QCheckBox("Include +/- washout", this);
        rightCheck_->setObjectName("right_check");
    }
    segments_ = label("Label6", "");
    building_ = label("Label12", "建立切割文件");
    progress_ = new QProgressBar(this);
    progress_->setObjectName("ProgressBar1");
    progress_->setRange(0, 100);
    progress_->setValue(0);
    building_->hide();
    progress_->hide();
    kerfSummary_ = label("Label13", "");
    kerfSummary_->setWordWrap(true);

    auto* grid = new QGridLayout;
    grid->addWidget(label("Label1", "选择左侧机翼切割形状DAT数据文件"), 0, 0, 1, 4);
    grid->addWidget(leftPath_, 1, 0, 1, 3);
    grid->addWidget(browseButton("Command2", true), 1, 3);
    grid->addWidget(label("Label2", "选择右侧机翼切割形状DAT数据文件"), 2, 0, 1, 4);
    grid->addWidget(rightPath_, 3, 0, 1, 3);
    grid->addWidget(browseButton("Command3", false), 3, 3);
    grid->addWidget(label("Label3", wing ? "Calculated Left Tower Cord"
                                         : "Calculated Left Tower Horizontal Size"),
                    4, 0);
    grid->addWidget(leftChord_, 4, 1);
    grid->addWidget(label("Label4", wing ? "Calculated Right Tower Cord"
                                         : "Calculated Right Tower Horizontal Size"),
                    4, 2);
    grid->addWidget(rightChord_, 4, 3);
    if (wing) {
        // Each side's washout under its own chord.
        grid->addWidget(leftCheck_, 5, 0, 1, 2);
        grid->addWidget(rightCheck_, 5, 2, 1, 2);
        grid->addWidget(label("Label7", "Degrees"), 6, 0);
        grid->addWidget(leftAmount_, 6, 1);
        grid->addWidget(label("Label8", "Degrees"), 6, 2);
        grid->addWidget(rightAmount_, 6, 3);
    }
    if (wing) {
        faces_ = new FaceGeometryBox(ws_, this);
        grid->addWidget(faces_, 9, 0, 1, 4);
        connect(faces_, &FaceGeometryBox::changed, this, &WingGenerationWindow::refreshFaceChords);
        // The features are cut into the designed sections, so they come with the face geometry.
        features_ = new WingFeaturesBox(this);
        preview_ = new FaceOutlinePreview;
        features_->setPicture(preview_);
        features_->setVisible(false);
        grid->addWidget(features_, 10, 0, 1, 4);
        connect(features_, &WingFeaturesBox::changed, this,
                &WingGenerationWindow::refreshFaceChords);
        for (QLineEdit* e : {leftPath_, rightPath_, leftAmount_, rightAmount_})
            connect(e, &QLineEdit::textChanged, this, &WingGenerationWindow::refreshFaceChords);
        for (QCheckBox* c : {leftCheck_, rightCheck_})
            connect(c, &QCheckBox::toggled, this, &WingGenerationWindow::refreshFaceChords);
    }
    grid->addWidget(label("Label5", "Cutting Step"), 7, 0);
    grid->addWidget(step_, 7, 1);
    grid->addWidget(segments_, 7, 2);
    grid->addWidget(building_, 8, 0);
    grid->addWidget(progress_, 8, 1, 1, 3);
    grid->addWidget(kerfSummary_, 11, 0, 1, 4);
    if (!wing) {
        auto* drawing = new QPushButton("DXF...", this);
        drawing->setObjectName("drawing_choice_button");
        connect(drawing, &QPushButton::clicked, this, [this] { chooseDrawing(); });
        grid->addWidget(drawing, 9, 0);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(toolbar_);
    layout->addLayout(grid);
}

WingGenerationWindow::~WingGenerationWindow() {
    if (waitCursor_) QApplication::restoreOverrideCursor();
}

void WingGenerationWindow::showAndActivate() {
    show();
    raise();
    activateWindow();
    activated();
}

void WingGenerationWindow::activated() {
    placeInFrame(*this, Placement::Tool);
    showDelayStatus(ws_);
    if (faces_ != nullptr) faces_->takeSettingsKerf();
}

// The face geometry takes each side's washout as the window's washout boxes give it.
void WingGenerationWindow::refreshFaceChords() {
    if (faces_ == nullptr) return;
    features_->setVisible(faces_->chosen());
    if (!faces_->chosen()) return;
    const FaceGeometryBox::Projection p =
        faces_->showChords(leftPath_->text().toStdString(), rightPath_->text().toStdString(),
                           faceAngle(leftCheck_->isChecked(), leftAmount_->text().toStdString()),
                           faceAngle(rightCheck_->isChecked(), rightAmount_->text().toStdString()),
                           features_->features());
    if (!p.read) {
        preview_->clear();
        return;
    }
    // The plain sections where the face geometry puts them, behind what is cut.
    const FaceDesign& d = p.design;
    FaceOutlinePreview::Face left, right;
    left.designed = placeOnFace(p.left, d.leftChordMm, d.leftWashoutDeg, d.washoutPivot, 0, 0);
    right.designed = placeOnFace(p.right, d.rightChordMm, d.rightWashoutDeg, d.washoutPivot,
                                 d.sweepMm, d.riseMm);
    if (!p.result.geometry) {
        QStringList why;
        for (const std::string& r : p.result.refusals) why << QString::fromStdString(r);
        preview_->showRefusal(left, right, why.join('\n'));
        return;
    }
    const FaceGeometry& g = *p.result.geometry;
    left.featured = g.leftFace;
    left.cut = g.leftCut;
    right.featured = g.rightFace;
    right.cut = g.rightCut;
    preview_->showFaces(left, right);
}

// The core's reasons, before anything of the working set is touched.
bool WingGenerationWindow::refuseFeatures(const FaceDesign& d) {
    if (!d.features.any()) return false;
    Profile left, right;
    try {
        left = readProfile(leftPath_->text().toStdString());
        right = readProfile(rightPath_->text().toStdString());
    } catch (const std::exception&) {
        return false;  // the generation names the file by its own label
    }
    const FeaturedSections f = applyWingFeatures(left, right, d.leftChordMm, d.rightChordMm,
                                                 d.features, d.leftKerfMm, d.rightKerfMm);
    if (f.refusals.empty()) return false;
    QStringList why;
    for (const std::string& r : f.refusals) why << QString::fromStdString(r);
    dialogs_.message(why.join('\r'), QStringLiteral("机翼特征"), MsgButtons::Ok, MsgIcon::Warning);
    return true;
}

void WingGenerationWindow::browse(bool left) {
    const QString chosen = dialogs_.openFile(airfoilFileRequest(dialogFolder_));
    if (chosen.isEmpty()) return;
    (left ? leftPath_ : rightPath_)->setText(chosen);
    (left ? ws_.job.leftAirfoilPath : ws_.job.rightAirfoilPath) = chosen.toStdString();
}

void WingGenerationWindow::showProgress(int segment, int points) {
    if (!progress_->isVisible()) {
        progress_->show();
        building_->show();
    }
    progress_->setMaximum(points);
    progress_->setValue(static_cast<int>(0.8 * segment));
    step_->setText(QString::number(segment));
    segments_->setText(QString::number(points - 1));
}

void WingGenerationWindow::endProgress() {
    step_->setText(" ");
    progress_->hide();
    building_->hide();
    progress_->setMaximum(100);
}

GenerationStatus WingGenerationWindow::generate() {
    // A second Generate pressed while one runs (events pass between segments) would start a
    // second replacement of the working set inside the first: it is ignored.
    if (generating_) return GenerationStatus::Refused;
    const std::string left = leftPath_->text().toStdString();
    const std::string right = rightPath_->text().toStdString();
    if (isBlankPathField(left) || isBlankPathField(right)) {
        dialogs_.message(kDatMissingForGeneration, kDatFileNotFoundTitle);
        return GenerationStatus::Refused;
    }

    // A face set takes its tower chords from the projection, not from the setup's sizes.
    const bool faceSet = faces_ != nullptr && faces_->chosen();
    if (!faceSet && refuseUnsetSize()) return GenerationStatus::Refused;

    GenerationRequest request;
    request.kind = kind_;
    request.leftPath = left;
    request.rightPath = right;
    request.leftChordText = leftChord_->text().toStdString();
    request.rightChordText = rightChord_->text().toStdString();
    if (kind_ == CutSetKind::Wing) {
        request.leftWashout = leftCheck_->isChecked();
        request.rightWashout = rightCheck_->isChecked();
        request.leftAngleText = leftAmount_->text().toStdString();
        request.rightAngleText = rightAmount_->text().toStdString();
        if (faces_->chosen()) {
            request.geometry = WingGeometry::Faces;
            request.faces = faces_->design(faceAngle(request.leftWashout, request.leftAngleText),
                                           faceAngle(request.rightWashout, request.rightAngleText));
            request.faces.features = features_->features();
            if (refuseFeatures(request.faces)) return GenerationStatus::Refused;
            request.blank = settingsBlank(ws_);
        }
    } else if (drawingWindow_ != nullptr) {
        // A drawn part chosen on the faces: the same request as `generate foam --geometry faces`.
        if (const auto faces = drawingWindow_->facesFor(leftPath_->text(), rightPath_->text())) {
            request.geometry = WingGeometry::Faces;
            request.faces = *faces;
            request.blank = settingsBlank(ws_);
        }
    }

    // The speed the setup gave: the set is made for it, and the cut window measures the
    // slider against it.
    request.cutSpeedMmS = ws_.motion.CutSpeed.toDouble();
    if (!takeMaterialInUse(ws_, dialogs_, request)) return GenerationStatus::Refused;

    const GenerationStatus status = runGeneration(request);
    if (status != GenerationStatus::Finished) return status;
    // The save step leaves the application folder as the dialog's starting folder.
    dialogFolder_ = QString::fromStdString(ws_.appFolder().string());
    QString savedAs;
    const SaveStepResult saved = runSaveCutFile(ws_, dialogs_, errorLabel_, QString(), &savedAs);
    if (saved == SaveStepResult::Cancelled) hide();
    if (saved != SaveStepResult::Saved || request.geometry != WingGeometry::Faces ||
        !request.faces.features.mirror)
        return status;
    return generateOtherHalf(request, savedAs);
}

GenerationStatus WingGenerationWindow::runGeneration(const GenerationRequest& request) {
    GenerationCallbacks callbacks;
    callbacks.progress = [this](int segment, int points) { showProgress(segment, points); };
    callbacks.yield = [] { QCoreApplication::processEvents(); };

    generating_ = true;
    toolbar_->setButtonEnabled(1, false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    waitCursor_ = true;
    GenerationOutcome outcome;
    try {
        outcome = generator_.generate(request, callbacks);
    } catch (const std::exception& e) {
        outcome.status = GenerationStatus::Failed;
        outcome.messages.clear();
        QApplication::restoreOverrideCursor();
        waitCursor_ = false;
        reportError(dialogs_, e, errorLabel_);
    }
    if (waitCursor_) QApplication::restoreOverrideCursor();
    waitCursor_ = false;
    endProgress();
    generating_ = false;
    toolbar_->setButtonEnabled(1, true);

    for (const UserMessage& m : outcome.warnings) dialogs_.message(q(m.text), q(m.title));
    for (const UserMessage& m : outcome.messages)
        dialogs_.message(q(withDetail(m.text, m.detail)), q(m.title));
    if (outcome.status == GenerationStatus::Finished) {
        showKerfSummary(outcome.summary);
        ws_.job.madeForSpeedMmS = request.cutSpeedMmS;
        try {
            ws_.job.madeForDatInfo = readFileBytes(ws_.file(kDatInfoFileName));
        } catch (const std::exception&) {
            ws_.job.madeForDatInfo.clear();
        }
    }
    return outcome.status;
}

// Both halves: the other half is generated from the same description with its faces swapped
// and offered for saving beside the first, under its name with "-mirror". It stays the working
// set, the last one generated.
GenerationStatus WingGenerationWindow::generateOtherHalf(const GenerationRequest& request,
                                                         const QString& firstSet) {
    const GenerationRequest other = mirroredRequest(request);
    const GenerationStatus status = runGeneration(other);
    if (status != GenerationStatus::Finished) return status;
    const QString name = QString::fromStdString(mirrorSetPath(firstSet.toStdString()).string());
    if (runSaveCutFile(ws_, dialogs_, errorLabel_, name) == SaveStepResult::Cancelled) hide();
    return status;
}

// The sizes come from the setup window's Done; without them every step count divides by 0.
bool WingGenerationWindow::refuseUnsetSize() {
    for (QLineEdit* box : {leftChord_, rightChord_}) {
        std::optional<double> size;
        try {
            size = leadingNumberIfAny(box->text().toStdString());
        } catch (const RunError&) {
            continue;  // too large to read: the generation reports it by its own label
        }
        if (size && *size > 0) continue;
        const auto* label = findChild<QLabel*>(box == leftChord_ ? "Label3" : "Label4");
        const bool wing = kind_ == CutSetKind::Wing;
        dialogs_.message(
            QStringLiteral("%1 is not set (it holds \"%2\"). Fill in %3 and press its Done "
                           "first: it works out both sizes and puts them here.")
                .arg(label != nullptr ? label->text() : box->objectName(), box->text(),
                     wing ? QStringLiteral("the wing setup (机翼切割 - 设置信息)")
                          : QStringLiteral("the foam setup (泡沫切割 - 设置信息)")),
            wing ? QStringLiteral("Wing Setup Missing") : QStringLiteral("Foam Setup Missing"),
            MsgButtons::Ok, MsgIcon::Warning);
        box->setFocus();
        return true;
    }
    return false;
}

void WingGenerationWindow::reset() {
    for (QLineEdit* field : {leftPath_, rightPath_, step_, leftChord_, rightChord_})
        field->setText(" ");
    if (kind_ == CutSetKind::Wing) {
        leftAmount_->setText("0");
        rightAmount_->setText("0");
    }
    progress_->hide();
}

void WingGenerationWindow::stop() {
    generator_.requestStop();
}

void WingGenerationWindow::addDelayPoints() {
    QWidget* owner = parentWidget() != nullptr ? parentWidget() : this;
    if (isBlankPathField(leftPath_->text().toStdString()) ||
        isBlankPathField(rightPath_->text().toStdString())) {
        dialogs_.message(QString::fromUtf8(kDatMissingForDelayPoints),
                         QString::fromUtf8(kDatFileNotFoundTitle));
        return;
    }
    emit delayPointsRequested(owner, leftPath_->text(), rightPath_->text());
}

void WingGenerationWindow::done() {
    hide();
}

void WingGenerationWindow::chooseDrawing() {
    if (drawingWindow_ == nullptr) {
        drawingWindow_ = new DrawingChoiceWindow(ws_, dialogs_, this);
        connect(drawingWindow_, &DrawingChoiceWindow::chosen, this,
                [this](const QString& left, const QString& right, const QString& leftSize,
                       const QString& rightSize) {
                    leftPath_->setText(left);
                    rightPath_->setText(right);
                    leftChord_->setText(leftSize);
                    rightChord_->setText(rightSize);
                    ws_.job.leftAirfoilPath = left.toStdString();
                    ws_.job.rightAirfoilPath = right.toStdString();
                });
    }
    drawingWindow_->show();
    drawingWindow_->raise();
}

void WingGenerationWindow::prepareAirfoils() {
    if (prepareWindow_ == nullptr) {
        prepareWindow_ = new AirfoilPrepareWindow(dialogs_, this);
        connect(prepareWindow_, &AirfoilPrepareWindow::saved, this,
                [this](const QString& root, const QString& tip) {
                    leftPath_->setText(root);
                    rightPath_->setText(tip);
                    ws_.job.leftAirfoilPath = root.toStdString();
                    ws_.job.rightAirfoilPath = tip.toStdString();
                });
        prepareWindow_->setFiles(leftPath_->text().trimmed(), rightPath_->text().trimmed());
    }
    prepareWindow_->show();
    prepareWindow_->raise();
}

void WingGenerationWindow::onToolbar(int index) {
    switch (index) {
        case 1:
            generate();
            break;
        case 2:
            reset();
            break;
        case 3:
            stop();
            break;
        case 5:
            addDelayPoints();
            break;
        case 7:
            done();
            break;
        case 8:
            prepareAirfoils();
            break;
        default:
            break;
    }
}

void WingGenerationWindow::closeEvent(QCloseEvent* event) {
    if (generating_) generator_.requestStop();
    event->accept();  // hidden, not deleted: the fields stay for the next use
}

bool WingGenerationWindow::event(QEvent* event) {
    // Coming back from one of our own message boxes or file dialogs is not an activation.
    if (activation_.isActivation(this, event)) activated();
    return QWidget::event(event);
}

void WingGenerationWindow::showKerfSummary(const GenerationSummary& summary) {
    if (!summary.leftKerf || !summary.rightKerf) {
        kerfSummary_->clear();
        return;
    }
    auto mm = [](double v) { return q(fixedDecimals(v, 3)); };
    auto speed = [](double v) { return q(formatDouble(v)); };
    QStringList lines;
    if (summary.material.empty()) {
        lines << QString::fromUtf8("切缝来自设置");
    } else {
        lines << QString::fromUtf8("切缝来自材料 (按 %1 毫米/秒 生成):")
                     .arg(speed(summary.cutSpeedMmS))
              << q(summary.material);
    }
    bool outside = false;
    for (const bool left : {true, false}) {
        const GenerationSummary::SideKerf& k = left ? *summary.leftKerf : *summary.rightKerf;
        outside = outside || k.outside;
        if (k.minMm == k.maxMm) {
            lines << (left ? QString::fromUtf8("左侧切缝 %1 毫米")
                           : QString::fromUtf8("右侧切缝 %1 毫米"))
                         .arg(mm(k.minMm));
        } else {
            lines << (left ? QString::fromUtf8("左侧切缝 %1 - %2 毫米, 面速度 %3 - %4 毫米/秒")
                           : QString::fromUtf8("右侧切缝 %1 - %2 毫米, 面速度 %3 - %4 毫米/秒"))
                         .arg(mm(k.minMm), mm(k.maxMm), speed(k.minSpeedMmS), speed(k.maxSpeedMmS));
        }
    }
    if (outside) lines << QString::fromUtf8("超出测量范围, 取最近测量点的切缝");
    kerfSummary_->setText(lines.join(QLatin1Char('\n')));
}

}  // namespace corvane
