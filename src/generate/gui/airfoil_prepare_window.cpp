#include "generate/gui/airfoil_prepare_window.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/file_io.h"
#include "common/number_text.h"
#include "common/run_error.h"
#include "generate/airfoil_input.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/toolbar.h"

namespace corvane {

// Both profiles, root above tip, each prepared outline over its original at one scale for x
// and y, the leading-edge points marked.
class AirfoilDrawing : public QWidget {
public:
    struct Entry {
        const AirfoilSurfaces* original = nullptr;
        const PreparedProfile* prepared = nullptr;
        QString caption;
    };

    explicit AirfoilDrawing(QWidget* parent) : QWidget(parent) {
        setObjectName("Picture1");
        setMinimumSize(640, 360);
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, Qt::white);
        setPalette(p);
    }
    void setEntries(Entry root, Entry tip) {
        entries_[0] = root;
        entries_[1] = tip;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const int half = height() / 2;
        painter.setPen(QColor(90, 90, 90));
        painter.drawText(rect().adjusted(8, 4, -8, -4), Qt::AlignRight | Qt::AlignTop,
                         "grey: original under the prepared outline (blue)   red: leading edge   "
                         "green: direction   thin grey: every tenth root and tip pair");
        const QRect boxes[2] = {QRect(0, 0, width(), half), QRect(0, half, width(), half)};
        for (int i = 0; i < 2; ++i) drawOne(painter, entries_[i], boxes[i]);
        drawPairs(painter, boxes);
    }

private:
    static QPointF at(const QRect& box, const AirfoilPoint& q) {
        const double margin = 24, scale = box.width() - 2 * margin;
        return QPointF(box.left() + margin + q.x * scale,
                       box.top() + box.height() * 0.55 - q.y * scale);
    }

    // Which root point is cut with which tip point: every tenth pair joined and numbered, and
    // an arrow on each outline's first segment for the cutting direction.
    void drawPairs(QPainter& p, const QRect (&boxes)[2]) const {
        const PreparedProfile* prepared[2] = {entries_[0].prepared, entries_[1].prepared};
        for (int i = 0; i < 2; ++i) {
            if (prepared[i] == nullptr || prepared[i]->points.size() < 2) continue;
            const AirfoilPoints& pts = prepared[i]->points;
            const QPointF a = at(boxes[i], pts[0]);
            std::size_t k = 1;
            while (k + 1 < pts.size() && QLineF(a, at(boxes[i], pts[k])).length() < 6) ++k;
            QLineF arrow(a, at(boxes[i], pts[k]));
            arrow.setLength(22);
            p.setPen(QPen(QColor(32, 128, 32), 1.6));
            p.drawLine(arrow);
            QLineF head = QLineF(arrow.p2(), arrow.p1());
            head.setLength(7);
            for (double turn : {25.0, -25.0}) {
                QLineF side = head;
                side.setAngle(head.angle() + turn);
                p.drawLine(side);
            }
        }
        if (prepared[0] == nullptr || prepared[1] == nullptr ||
            prepared[0]->points.size() != prepared[1]->points.size())
            return;
        p.setPen(QPen(QColor(150, 150, 150), 0.7));
        for (std::size_t k = 0; k < prepared[0]->points.size(); k += 10) {
            const QPointF a = at(boxes[0], prepared[0]->points[k]);
            const QPointF b = at(boxes[1], prepared[1]->points[k]);
            p.drawLine(a, b);
            p.drawText(a + QPointF(3, -3), QString::number(k + 1));
            p.drawText(b + QPointF(3, -3), QString::number(k + 1));
        }
    }

    static void drawOne(QPainter& p, const Entry& e, const QRect& box) {
        p.setPen(Qt::black);
        p.drawText(box.adjusted(8, 4, -8, -4), Qt::AlignLeft | Qt::AlignTop, e.caption);
        if (e.original == nullptr) return;
        auto at = [&](const AirfoilPoint& q) { return AirfoilDrawing::at(box, q); };
        QPainterPath original;
        AirfoilPoints outline(e.original->upper.rbegin(), e.original->upper.rend());
        outline.insert(outline.end(), e.original->lower.begin() + 1, e.original->lower.end());
        original.moveTo(at(outline.front()));
        for (const AirfoilPoint& q : outline) original.lineTo(at(q));
        p.setPen(QPen(QColor(170, 170, 170), 3));
        p.drawPath(original);
        if (e.prepared != nullptr) {
            const AirfoilPoints& pts = e.prepared->points;
            QPainterPath prepared;
            prepared.moveTo(at(pts.front()));
            for (const AirfoilPoint& q : pts) prepared.lineTo(at(q));
            p.setPen(QPen(QColor(20, 80, 200), 1.2));
            p.drawPath(prepared);
            p.setBrush(QColor(20, 80, 200));
            for (const AirfoilPoint& q : pts) p.drawEllipse(at(q), 1.8, 1.8);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(QColor(220, 30, 30), 2));
            p.drawEllipse(at(pts[e.prepared->leadingEdgeIndex]), 6, 6);
            p.drawText(at(pts[e.prepared->leadingEdgeIndex]) + QPointF(9, -8),
                       QString("LE #%1").arg(e.prepared->leadingEdgeIndex + 1));
        }
        p.setPen(QPen(QColor(240, 150, 0), 2));
        p.drawLine(at(e.original->upper.front()) + QPointF(-4, -4),
                   at(e.original->upper.front()) + QPointF(4, 4));
        p.drawLine(at(e.original->upper.front()) + QPointF(-4, 4),
                   at(e.original->upper.front()) + QPointF(4, -4));
    }

    Entry entries_[2];
};

AirfoilPrepareWindow::AirfoilPrepareWindow(Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs) {
    setObjectName("AirfoilPrepare");
    setWindowFlag(Qt::Window);
    setWindowTitle("Prepare Airfoils - root and tip");

    toolbar_ = new Toolbar(this);
    toolbar_->setButtons({{"Prepare", "Prepare", "prepare", "Prepare both airfoils"},
                          {"Save", "Save", "save", "Save both and use them for the wing"},
                          toolbarSeparator(),
                          {"Done", "Done", "done", "Done"}});
    connect(toolbar_, &Toolbar::buttonClicked, this, &AirfoilPrepareWindow::onToolbar);

    auto text = [this](const char* name, const QString& initial) {
        auto* e = new QLineEdit(initial, this);
        e->setObjectName(name);
        connect(e, &QLineEdit::editingFinished, this, [this] { prepare(); });
        return e;
    };
    auto label = [this](const char* name, const QString& caption) {
        auto* l = new QLabel(caption, this);
        l->setObjectName(name);
        return l;
    };
    root_ = text("Text1", "");
    tip_ = text("Text2", "");
    points_ = text("Text3", "101");
    lowerFirst_ = new QCheckBox("Lower surface first", this);
    lowerFirst_->setObjectName("Check1");
    connect(lowerFirst_, &QCheckBox::toggled, this, [this] { prepare(); });
    rootFigures_ = label("Label3", "");
    tipFigures_ = label("Label4", "");
    for (QLabel* l : {rootFigures_, tipFigures_}) {
        l->setAlignment(Qt::AlignTop | Qt::AlignLeft);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        l->setMinimumWidth(260);
        l->setWordWrap(true);
    }
    drawing_ = new AirfoilDrawing(this);

    auto* grid = new QGridLayout;
    grid->addWidget(label("Label1", "Root airfoil (left tower)"), 0, 0);
    grid->addWidget(root_, 0, 1);
    auto* browseRoot = new QPushButton("浏览", this);
    browseRoot->setObjectName("Command2");
    grid->addWidget(browseRoot, 0, 2);
    grid->addWidget(label("Label2", "Tip airfoil (right tower)"), 1, 0);
    grid->addWidget(tip_, 1, 1);
    auto* browseTip = new QPushButton("浏览", this);
    browseTip->setObjectName("Command3");
    grid->addWidget(browseTip, 1, 2);
    grid->addWidget(label("Label5", "Points in each file"), 2, 0);
    grid->addWidget(points_, 2, 1);
    grid->addWidget(lowerFirst_, 2, 2);
    connect(browseRoot, &QPushButton::clicked, this, [this] { browse(true); });
    connect(browseTip, &QPushButton::clicked, this, [this] { browse(false); });

    auto* figures = new QVBoxLayout;
    figures->addWidget(rootFigures_, 1);
    figures->addWidget(tipFigures_, 1);
    auto* body = new QHBoxLayout;
    body->addWidget(drawing_, 1);
    body->addLayout(figures);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(toolbar_);
    layout->addLayout(grid);
    layout->addLayout(body, 1);
}

void AirfoilPrepareWindow::setFiles(const QString& root, const QString& tip) {
    root_->setText(root);
    tip_->setText(tip);
    prepare();
}

FileDialogRequest airfoilFileRequest(const QString& folder) {
    FileDialogRequest request;
    request.initialDir = folder;
    request.fileName = QString();
    request.defaultExt = "dat";
    request.title = "选择DAT文件";
    request.filter = "DAT File (*.DAT)|*.dat|COR File (*.COR)|*.cor|All (*.*)|*.*";
    request.flags = 6;
    return request;
}

void AirfoilPrepareWindow::browse(bool root) {
    const QString chosen = dialogs_.openFile(airfoilFileRequest(folder_));
    if (chosen.isEmpty()) return;
    folder_ = QFileInfo(chosen).absolutePath();
    (root ? root_ : tip_)->setText(chosen);
    prepare();
}

AirfoilPrepareWindow::Side AirfoilPrepareWindow::prepareSide(const QString& path,
                                                             const PrepareOptions& options,
                                                             QLabel* figures) {
    Side side;
    if (path.trimmed().isEmpty()) {
        figures->setText(QString());
        return side;
    }
    const std::string name = path.toStdString();
    try {
        const AirfoilFile file = readAirfoilFile(name);
        const AirfoilReport report = checkAirfoil(file, name);
        side.original = splitSurfaces(file, name);
        const std::vector<std::string> problems = preparationProblems(file, *side.original, name);
        if (!problems.empty()) throw AirfoilFormatError(problems.front(), 1);
        QString text =
            "<b>" + QFileInfo(path).fileName().toHtmlEscaped() + "</b><br>" +
            QString::fromStdString(formatReport(report)).toHtmlEscaped().replace("\n", "<br>");
        if (options.points >= 5) {
            side.prepared = prepareProfile(*side.original, options);
            // Never offered for saving when the generator would still refuse it.
            const std::vector<std::string> left = preparedProblems(*side.prepared, name);
            if (!left.empty())
                throw AirfoilFormatError("Prepare Airfoils cannot make a cuttable outline of " +
                                             name + ": " + left.front(),
                                         1);
            text += QString(
                        "<br>Prepared: %1 points, leading edge at point %2<br>"
                        "Largest deviation: %3 % of chord")
                        .arg(side.prepared->points.size())
                        .arg(side.prepared->leadingEdgeIndex + 1)
                        .arg(100 * largestDeviation(*side.prepared, *side.original), 0, 'f', 4);
        }
        figures->setText(text);
    } catch (const AirfoilFormatError& e) {
        side.error = QString::fromUtf8(e.what());
    } catch (const RunError& e) {
        side.error = QString::fromStdString(e.description() + ": " + name);
    }
    if (!side.error.isEmpty()) {
        side.original.reset();
        side.prepared.reset();
        figures->setText("<span style='color:#c00000'>" + side.error.toHtmlEscaped() + "</span>");
    }
    return side;
}

bool AirfoilPrepareWindow::prepare() {
    const double count = leadingNumber(points_->text().toStdString());
    PrepareOptions options;
    options.points = count >= 5 && count <= 100000 ? static_cast<std::size_t>(count) : 0;
    options.lowerFirst = lowerFirst_->isChecked();
    sides_[0] = prepareSide(root_->text(), options, rootFigures_);
    sides_[1] = prepareSide(tip_->text(), options, tipFigures_);
    auto entry = [](const Side& s, const QString& caption) {
        AirfoilDrawing::Entry e;
        e.original = s.original ? &*s.original : nullptr;
        e.prepared = s.prepared ? &*s.prepared : nullptr;
        e.caption = caption;
        return e;
    };
    drawing_->setEntries(entry(sides_[0], "Root: " + QFileInfo(root_->text()).fileName()),
                         entry(sides_[1], "Tip: " + QFileInfo(tip_->text()).fileName()));
    return sides_[0].prepared && sides_[1].prepared;
}

bool AirfoilPrepareWindow::save() {
    if (!prepare()) {
        QString why = !sides_[0].error.isEmpty()   ? sides_[0].error
                      : !sides_[1].error.isEmpty() ? sides_[1].error
                                                   : "Choose a root and a tip file and at least "
                                                     "5 points.";
        dialogs_.message(why, "Prepare Airfoils");
        return false;
    }
    QString paths[2];
    const QString sources[2] = {root_->text(), tip_->text()};
    for (int i = 0; i < 2; ++i) {
        FileDialogRequest request;
        const QFileInfo source(sources[i]);
        request.initialDir = source.absolutePath();
        request.fileName = QString("%1_%2.dat")
                               .arg(source.completeBaseName())
                               .arg(sides_[i].prepared->points.size());
        request.defaultExt = "dat";
        request.title = i == 0 ? "Save Prepared Root Airfoil" : "Save Prepared Tip Airfoil";
        request.filter = "DAT File (*.DAT)|*.dat|All (*.*)|*.*";
        request.flags = 6;
        paths[i] = dialogs_.saveFile(request);
        if (paths[i].isEmpty()) return false;
    }
    if (paths[0] == paths[1]) {
        dialogs_.message("The root and the tip need two different files.", "Prepare Airfoils");
        return false;
    }
    try {
        for (int i = 0; i < 2; ++i)
            writeFileAtomic(paths[i].toStdString(), plainAirfoilText(sides_[i].prepared->points));
    } catch (const RunError& e) {
        reportError(dialogs_, e, "Prepare Airfoils, Save");
        return false;
    }
    emit saved(paths[0], paths[1]);
    return true;
}

void AirfoilPrepareWindow::onToolbar(int index) {
    switch (index) {
        case 1:
            prepare();
            break;
        case 2:
            save();
            break;
        case 4:
            hide();
            break;
        default:
            break;
    }
}

}  // namespace corvane
