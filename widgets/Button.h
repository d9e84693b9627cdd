// A push button drawn flat: a frame in the frame colour, its background lit in the hot-track
// colour while the pointer is over it, else its own background or its parent's. The keyboard
// focus shows as a dotted ring inside the frame and changes no colour. Space or Enter presses it.
#pragma once

#include <QAbstractButton>

class QPainter;

class TButton : public QAbstractButton {
    Q_OBJECT

public:
    TButton(const QString& name, const QString& caption, QWidget* parent);

    void SetHotTrackColour(const QColor& colour);
    void SetFrameColour(const QColor& colour);

    // A toggle reads as "<role>: on" or "<role>: off" to a screen reader; a plain button reads
    // its caption. SetToggleState changes only what is read, never the look; a state given
    // before the role is kept for it.
    void SetToggleRole(const QString& role);
    void SetToggleState(bool on);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    // Lights and frames the button; returns the rectangle inside the frame.
    QRect PaintFace(QPainter& painter) const;
    // Draws the caption centred in `area` in the button's text colour.
    void PaintCaption(QPainter& painter, const QRect& area) const;

    QColor hotTrack_{192, 192, 192};
    QColor frame_{128, 128, 128};
    QString toggleRole_;
    bool toggleOn_ = false;
};
