// The wing generation window's picture of the two faces before cutting: at each face the
// designed section (light), the outline with the features cut into it (sheeting, slots, trailing
// edge thickness, stock; dark) and the wire's path half the kerf outside it (dashed), all at one
// scale so the taper shows. What it draws comes from the face geometry, so it is what is cut.
#pragma once

#include <QString>
#include <QWidget>

#include "generate/face_geometry.h"

namespace corvane {

class FaceOutlinePreview : public QWidget {
    Q_OBJECT
public:
    // objectName "face_preview"; empty until shown.
    explicit FaceOutlinePreview(QWidget* parent = nullptr);

    struct Face {
        Outline designed;  // the plain section placed on the face
        Outline featured;  // with the features cut in (empty when refused)
        Outline cut;       // the wire's path (empty when refused)
    };
    // Both faces as the face geometry gives them.
    void showFaces(const Face& left, const Face& right);
    // The designed sections only, and why nothing can be cut (drawn in red under them).
    void showRefusal(const Face& left, const Face& right, const QString& why);
    void clear();

    const Face& face(bool right) const { return right ? right_ : left_; }
    const QString& refusal() const { return refusal_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Face left_, right_;
    QString refusal_;
};

}  // namespace corvane
