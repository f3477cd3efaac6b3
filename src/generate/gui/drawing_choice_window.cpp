// The drawing choice window and its preview.
#include "generate/gui/drawing_choice_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "common/number_format.h"
#include "common/number_text.h"
#include "common/run_error.h"
#include "generate/cut_generator.h"
#include "generate/drawing_faces.h"
#include "generate/gui/face_geometry_box.h"
#include "machine/workspace.h"
#include "platform/gui/dialogs.h"

namespace corvane {

namespace {

// A placed face outline for the preview: the corners flagged where the pairing has them.
DrawingOutline previewOutline(const Outline& o, const std::vector<char>& corner) {
    DrawingOutline d;
    d.closed = true;
    for (std::size_t i = 0; i < o.size(); ++i) {
        d.points.push_back({o.x[i], o.y[i]});
        d.corner.push_back(i < corner.size() ? corner[i] : 0);
    }
    if (d.points.empty()) return d;
    const auto [minX, maxX] = std::minmax_element(o.x.begin(), o.x.end());
    const auto [minY, maxY] = std::minmax_element(o.y.begin(), o.y.end());
    d.minX = *minX;
    d.maxX = *maxX;
    d.minY = *minY;
    d.maxY = *maxY;
    return d;
}

QString mmText(double v) {
    return QString::fromStdString(formatTwoDecimals(v));
}

}  // namespace

DrawingPreview::DrawingPreview(QWidget* parent) : QWidget(parent) {
    setObjectName("drawing_preview");
    setMinimumSize(240, 160);
}

void DrawingPreview::setOutlines(std::vector<DrawingOutline> outlines, bool oriented) {
    outlines_ = std::move(outlines);
    oriented_ = oriented;
    update();
}

void DrawingPreview::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (outlines_.empty()) return;
    double minX = outlines_[0].minX, maxX = outlines_[0].maxX;
    double minY = outlines_[0].minY, maxY = outlines_[0].maxY;
    for (const DrawingOutline& o : outlines_) {
        minX = std::min(minX, o.minX);
        maxX = std::max(maxX, o.maxX);
        minY = std::min(minY, o.minY);
        maxY = std::max(maxY, o.maxY);
    }
    const double margin = 16;
    const double w = std::max(maxX - minX, 1e-9), h = std::max(maxY - minY, 1e-9);
    const double k = std::min((width() - 2 * margin) / w, (height() - 2 * margin) / h);
    const auto map = [&](DrawingPoint d) {
        return QPointF(margin + (d.x - minX) * k, height() - margin - (d.y - minY) * k);
    };
    p.setRenderHint(QPainter::Antialiasing);
    for (std::size_t n = 0; n < outlines_.size(); ++n) {
        const DrawingOutline& o = outlines_[n];
        QPainterPath path;
        for (std::size_t i = 0; i < o.points.size(); ++i) {
            if (i == 0) {
                path.moveTo(map(o.points[i]));
            } else {
                path.lineTo(map(o.points[i]));
            }
        }
        QPen pen(n == 0 ? QColor(0, 0, 160) : QColor(200, 0, 0), 1.5);
        if (n > 0) pen.setStyle(Qt::DashLine);
        if (!o.closed) pen.setColor(QColor(230, 120, 0));
        p.setPen(pen);
        p.drawPath(path);
        p.setBrush(pen.color());
        for (std::size_t i = 0; i < o.points.size(); ++i)
            if (o.corner[i]) p.drawEllipse(map(o.points[i]), 2.5, 2.5);
        p.setBrush(Qt::NoBrush);
        if (!oriented_ || o.points.size() < 2) continue;
        // The start as a ring; the direction as an arrow along the first stretch.
        const QPointF s = map(o.points[0]);
        p.setPen(QPen(QColor(0, 140, 0), 2));
        p.drawEllipse(s, 6, 6);
        std::size_t j = 1;
        while (j + 1 < o.points.size() &&
               std::hypot(map(o.points[j]).x() - s.x(), map(o.points[j]).y() - s.y()) < 24)
            ++j;
        QPointF d = map(o.points[j]) - s;
        const double len = std::hypot(d.x(), d.y());
        if (len <= 0) continue;
        d /= len;
        const QPointF tipPoint = s + d * std::min(len, 28.0);
        const QPointF side(-d.y(), d.x());
        p.drawLine(s, tipPoint);
        p.drawLine(tipPoint, tipPoint - d * 7 + side * 4);
        p.drawLine(tipPoint, tipPoint - d * 7 - side * 4);
    }
}

DrawingChoiceWindow::DrawingChoiceWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), ws_(ws), dialogs_(dialogs) {
    setObjectName("drawing_choice");
    setWindowTitle("泡沫切割 - DXF Drawing");
    // A new drawing first lists its layers, then shows the part.
    auto edit = [this](const char* name, bool layers = false) {
        auto* e = new QLineEdit(this);
        e->setObjectName(name);
        connect(e, &QLineEdit::editingFinished, this, [this, layers] {
            if (layers) fillLayers();
            refresh();
        });
        return e;
    };
    file_ = edit("drawing_file", true);
    tipFile_ = edit("tip_drawing_file");
    start_ = edit("drawing_start");
    start_->setPlaceholderText("rightmost point");
    size_ = edit("drawing_size");
    size_->setPlaceholderText("as drawn");
    layer_ = new QComboBox(this);
    layer_->setObjectName("drawing_layer");
    connect(layer_, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    reverse_ = new QCheckBox("Clockwise", this);
    reverse_->setObjectName("drawing_reverse");
    connect(reverse_, &QCheckBox::toggled, this, [this] { refresh(); });
    preview_ = new DrawingPreview(this);
    status_ = new QLabel(this);
    status_->setObjectName("drawing_status");
    status_->setWordWrap(true);
    faces_ = new FaceGeometryBox(ws, this, FaceGeometryBox::Use::Drawing);
    connect(faces_, &FaceGeometryBox::changed, this, [this] { refresh(); });
    auto* useButton = new QPushButton("Use for the foam set", this);
    useButton->setObjectName("drawing_use");
    connect(useButton, &QPushButton::clicked, this, [this] { use(); });
    auto browseButton = [this](const char* name, bool tip) {
        auto* b = new QPushButton("浏览", this);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, [this, tip] { browse(tip); });
        return b;
    };

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("DXF drawing (left tower, or both)", this), 0, 0);
    grid->addWidget(file_, 0, 1);
    grid->addWidget(browseButton("drawing_browse", false), 0, 2);
    grid->addWidget(new QLabel("Tip drawing (right tower, optional)", this), 1, 0);
    grid->addWidget(tipFile_, 1, 1);
    grid->addWidget(browseButton("tip_drawing_browse", true), 1, 2);
    grid->addWidget(new QLabel("Layer", this), 2, 0);
    grid->addWidget(layer_, 2, 1);
    grid->addWidget(new QLabel("Start point X,Y - mm", this), 3, 0);
    grid->addWidget(start_, 3, 1);
    grid->addWidget(reverse_, 3, 2);
    grid->addWidget(new QLabel("Left Horizontal Size - mm", this), 4, 0);
    grid->addWidget(size_, 4, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(faces_);
    layout->addWidget(preview_, 1);
    layout->addWidget(status_);
    layout->addWidget(useButton);
}

void DrawingChoiceWindow::browse(bool tip) {
    FileDialogRequest request;
    request.defaultExt = "dxf";
    request.title = "DXF";
    request.filter = "DXF File (*.DXF)|*.dxf|All (*.*)|*.*";
    const QString chosen = dialogs_.openFile(request);
    if (chosen.isEmpty()) return;
    (tip ? tipFile_ : file_)->setText(chosen);
    if (!tip) fillLayers();
    refresh();
}

void DrawingChoiceWindow::fillLayers() {
    const QSignalBlocker block(layer_);
    const QString was = layer_->currentText();
    layer_->clear();
    try {
        const Drawing d = readDrawing(file_->text().trimmed().toStdString());
        for (const std::string& l : drawnLayers(d)) layer_->addItem(QString::fromStdString(l));
    } catch (const DrawingError&) {
    }
    const int keep = layer_->findText(was);
    if (keep >= 0) layer_->setCurrentIndex(keep);
}

std::optional<DrawingJob> DrawingChoiceWindow::job(QString& why) const {
    DrawingJob j;
    if (file_->text().trimmed().isEmpty()) {
        why = "Choose a DXF drawing";
        return std::nullopt;
    }
    j.rootFile = file_->text().trimmed().toStdString();
    if (!tipFile_->text().trimmed().isEmpty()) j.tipFile = tipFile_->text().trimmed().toStdString();
    j.layer = layer_->currentText().toStdString();
    j.choice.reverse = reverse_->isChecked();
    const QString start = start_->text().trimmed();
    if (!start.isEmpty()) {
        const QStringList xy = start.split(',');
        bool okX = false, okY = false;
        if (xy.size() == 2) {
            const double x = xy[0].trimmed().toDouble(&okX), y = xy[1].trimmed().toDouble(&okY);
            if (okX && okY) j.choice.start = DrawingPoint{x, y};
        }
        if (!okX || !okY) {
            why = "The start point is X,Y, e.g. 120,4.5";
            return std::nullopt;
        }
    }
    if (!size_->text().trimmed().isEmpty()) j.size = leadingNumber(size_->text().toStdString());
    return j;
}

bool DrawingChoiceWindow::refresh() {
    prepared_.reset();
    QString why;
    const std::optional<DrawingJob> j = job(why);
    if (!j) {
        preview_->setOutlines({}, false);
        status_->setText(why);
        return false;
    }
    try {
        prepared_ = prepareDrawing(*j);
    } catch (const DrawingError& e) {
        status_->setText(QString::fromStdString(e.what()));
        // Still show what the layer holds, so the place named can be found.
        try {
            const Drawing d = readDrawing(j->rootFile);
            preview_->setOutlines(chainLayer(d, chooseLayer(d, j->layer)).outlines, false);
        } catch (const DrawingError&) {
            preview_->setOutlines({}, false);
        }
        return false;
    }
    const PreparedDrawing& p = *prepared_;
    if (faces_->chosen()) {
        FaceDesign design;
        // The preview shows a refusal itself; Use judges the result again.
        static_cast<void>(showFaces(p, design));
    } else {
        std::vector<DrawingOutline> shown{p.rootOutline};
        if (j->tipFile) shown.push_back(p.tipOutline);
        preview_->setOutlines(shown, true);
    }
    QString text = QString("Start %1, %2; left %3 mm, right %4 mm; %5 corners")
                       .arg(QString::fromStdString(placeText(p.rootOutline.points.front())))
                       .arg(j->choice.reverse ? "clockwise" : "counter-clockwise")
                       .arg(QString::fromStdString(sizeText(p.leftSize)))
                       .arg(QString::fromStdString(sizeText(p.rightSize)))
                       .arg(p.shape.rootCorners);
    if (j->tipFile)
        text += QString(", tip %1 (%2)")
                    .arg(p.shape.tipCorners)
                    .arg(p.shape.cornersMatched ? "matched" : "not matched");
    const SettingsFields& f = ws_.settings.fields;
    const std::string warning = leadInWarning(
        p, f.lead_in == 1 && f.horizontal && ws_.settings.derived.LeadInMm.toDouble() > 0);
    if (!warning.empty()) text += "\n" + QString::fromStdString(warning);
    status_->setText(text);
    return true;
}

FaceGeometryResult DrawingChoiceWindow::showFaces(const PreparedDrawing& p, FaceDesign& design) {
    // The same steps as `generate foam --drawing --geometry faces`: washout has no place here.
    design = drawingFaceDesign(p, faces_->design(0, 0));
    const DrawingFaces placed = placeDrawingOnFaces(p, design);
    const std::vector<char> none;
    preview_->setOutlines(
        {previewOutline(placed.root, p.shape.corner),
         previewOutline(placed.tip, p.shape.cornersMatched ? p.shape.corner : none)},
        true);
    FaceGeometryResult r = drawingFaceGeometry(p, design, settingsBlank(ws_));
    if (!r.geometry) {
        faces_->showText(QString::fromStdString(r.refusals.front()));
        return r;
    }
    const FaceGeometry& g = *r.geometry;
    faces_->showText(QStringLiteral("左: 面 %1 mm, 塔 %2 mm      右: 面 %3 mm, 塔 %4 mm")
                         .arg(mmText(design.leftChordMm),
                              mmText(towerHorizontalSize(g.leftFace, g.rightFace, design.leftGapMm,
                                                         design.spanMm)),
                              mmText(design.rightChordMm),
                              mmText(towerHorizontalSize(g.rightFace, g.leftFace,
                                                         design.rightGapMm(), design.spanMm))));
    return r;
}

bool DrawingChoiceWindow::use() {
    if (!refresh()) return false;
    const PreparedDrawing& p = *prepared_;
    std::optional<FaceDesign> faces;
    if (faces_->chosen()) {
        FaceDesign design;
        const FaceGeometryResult r = showFaces(p, design);
        if (!r.geometry) {
            // The window stays open with the numbers, so they can be changed.
            QString text;
            for (const std::string& why : r.refusals)
                text += (text.isEmpty() ? "" : "\r") + QString::fromStdString(why);
            dialogs_.message(text, QString::fromUtf8(kFaceGeometryTitle), MsgButtons::Ok,
                             MsgIcon::Warning);
            return false;
        }
        faces = design;
    }
    const std::filesystem::path root = file_->text().trimmed().toStdString();
    const QString tipText = tipFile_->text().trimmed();
    const std::filesystem::path tip =
        tipText.isEmpty() ? root : std::filesystem::path(tipText.toStdString());
    try {
        const auto [left, right] = writeDrawingProfiles(p, ws_.appFolder() / "drawings",
                                                        root.stem().string(), tip.stem().string());
        usedFaces_ = faces;
        usedLeft_ = QString::fromStdString(left.string());
        usedRight_ = QString::fromStdString(right.string());
        emit chosen(QString::fromStdString(left.string()), QString::fromStdString(right.string()),
                    QString::fromStdString(sizeText(p.leftSize)),
                    QString::fromStdString(sizeText(p.rightSize)));
    } catch (const RunError& e) {
        dialogs_.message(QString::fromStdString(errorReportText(e, kFoamGenerationLabel)));
        return false;
    }
    hide();
    return true;
}

std::optional<FaceDesign> DrawingChoiceWindow::facesFor(const QString& leftPath,
                                                        const QString& rightPath) const {
    if (!usedFaces_ || leftPath != usedLeft_ || rightPath != usedRight_) return std::nullopt;
    return usedFaces_;
}

void DrawingChoiceWindow::showEvent(QShowEvent* event) {
    faces_->takeSettingsKerf();  // the settings may have changed while the window was away
    QWidget::showEvent(event);
}

QString DrawingChoiceWindow::statusText() const {
    return status_->text();
}

}  // namespace corvane
