#include "generate/gui/face_geometry_box.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "common/number_format.h"
#include "common/number_text.h"
#include "generate/airfoil_input.h"
#include "generate/face_geometry.h"
#include "machine/workspace.h"

namespace corvane {

namespace {

double number(const QLineEdit* e) {
    try {
        return leadingNumber(e->text().toStdString());
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace

FaceGeometryBox::FaceGeometryBox(Workspace& ws, QWidget* parent, Use use)
    : QGroupBox(parent), ws_(ws) {
    setObjectName("FrameFaces");
    const bool drawing = use == Use::Drawing;
    check_ = new QCheckBox(drawing ? QStringLiteral("在两个泡沫面上切割图形")
                                   : QStringLiteral("Cut the designed profiles at the foam faces"),
                           this);
    check_->setObjectName("face_geometry");
    fields_ = new QWidget(this);
    auto* grid = new QGridLayout(fields_);
    grid->setContentsMargins(0, 0, 0, 0);
    int row = 0, column = 0;
    auto box = [&](const char* name, const QString& caption, const QString& initial,
                   bool shown = true) {
        auto* e = new QLineEdit(initial, fields_);
        e->setObjectName(name);
        if (!shown) {
            e->hide();  // kept out of the layout: design() reads it as before
            return e;
        }
        auto* l = new QLabel(caption, fields_);
        e->setMinimumWidth(70);
        grid->addWidget(l, row, column);
        grid->addWidget(e, row, column + 1);
        column = column == 0 ? 2 : 0;
        if (column == 0) ++row;
        connect(e, &QLineEdit::textEdited, this, &FaceGeometryBox::changed);
        return e;
    };
    leftChord_ = box("face_left_chord", "Left face chord - mm", "", !drawing);
    rightChord_ = box("face_right_chord", "Right face chord - mm", "", !drawing);
    leftGap_ = box("face_left_gap", "Left tower to left face - mm", "");
    span_ = box("face_span", "Span between the faces - mm", "");
    towers_ = box("face_towers", "Distance Between Cutting Towers - mm", "");
    sweep_ = box("face_sweep",
                 drawing ? QStringLiteral("尖部再向后移 - mm")
                         : QStringLiteral("Sweep: right leading edge behind - mm"),
                 "0");
    rise_ = box("face_rise",
                drawing ? QStringLiteral("尖部再向上移 - mm")
                        : QStringLiteral("Rise: right leading edge above - mm"),
                "0");
    pivot_ = box("face_pivot", "Washout pivot - chord fraction", "0", !drawing);
    const QString kerf =
        QString::fromStdString(formatDouble(ws_.settings.derived.KerfMm.toDouble()));
    leftKerf_ = box("face_left_kerf", "Left kerf - mm", kerf);
    rightKerf_ = box("face_right_kerf", "Right kerf - mm", kerf);
    for (QLineEdit* k : {leftKerf_, rightKerf_})
        connect(k, &QLineEdit::textEdited, this, [this] { kerfTyped_ = true; });
    chords_ = new QLabel(fields_);
    chords_->setObjectName("face_chords");
    chords_->setWordWrap(true);
    grid->addWidget(chords_, row + 1, 0, 1, 4);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(check_);
    layout->addWidget(fields_);
    fields_->setVisible(false);
    connect(check_, &QCheckBox::toggled, this, [this](bool on) {
        fields_->setVisible(on);
        emit changed();
    });
}

bool FaceGeometryBox::chosen() const {
    return check_->isChecked();
}

FaceDesign FaceGeometryBox::design(double leftWashoutDeg, double rightWashoutDeg) const {
    FaceDesign d;
    d.leftChordMm = number(leftChord_);
    d.rightChordMm = number(rightChord_);
    d.towersMm = number(towers_);
    d.leftGapMm = number(leftGap_);
    d.spanMm = number(span_);
    d.sweepMm = number(sweep_);
    d.riseMm = number(rise_);
    d.washoutPivot = number(pivot_);
    d.leftKerfMm = number(leftKerf_);
    d.rightKerfMm = number(rightKerf_);
    d.leftWashoutDeg = leftWashoutDeg;
    d.rightWashoutDeg = rightWashoutDeg;
    return d;
}

FaceGeometryBox::Projection FaceGeometryBox::showChords(const std::string& leftPath,
                                                        const std::string& rightPath,
                                                        double leftWashoutDeg,
                                                        double rightWashoutDeg,
                                                        const WingFeatures& features) {
    Projection out;
    if (!chosen()) return out;
    out.design = design(leftWashoutDeg, rightWashoutDeg);
    out.design.features = features;
    const FaceDesign& d = out.design;
    try {
        out.left = readProfile(leftPath);
        out.right = readProfile(rightPath);
    } catch (const std::exception&) {
        chords_->setText("Chords at the towers: choose both DAT files.");
        return out;
    }
    out.read = true;
    out.result = buildFaceGeometry(out.left, out.right, d, settingsBlank(ws_));
    const FaceGeometryResult& r = out.result;
    if (!r.geometry) {
        chords_->setText(QString::fromStdString(r.refusals.front()));
        return out;
    }
    auto mm = [](double v) { return QString::fromStdString(formatTwoDecimals(v)); };
    chords_->setText(QString("Left: face %1 mm, tower %2 mm      Right: face %3 mm, tower %4 mm")
                         .arg(mm(d.leftChordMm), mm(r.geometry->leftTowerChordMm),
                              mm(d.rightChordMm), mm(r.geometry->rightTowerChordMm)));
    return out;
}

void FaceGeometryBox::showText(const QString& text) {
    chords_->setText(text);
}

void FaceGeometryBox::takeSettingsKerf() {
    if (kerfTyped_) return;
    const QString kerf =
        QString::fromStdString(formatDouble(ws_.settings.derived.KerfMm.toDouble()));
    leftKerf_->setText(kerf);
    rightKerf_->setText(kerf);
}

}  // namespace corvane
