// A caption that stands over a column of controls in another container: centred over `column`,
// with its bottom just above the top of `frame`, the group box that holds the column. The
// caption is a child of the frame's parent and follows the column and the frame wherever the
// layouts move them, also while the column is hidden but keeps its place.
#pragma once

#include <QObject>

class QWidget;

class CaptionAbove : public QObject {
public:
    // Owned by the caption. `gap` is the distance between the caption and the frame.
    CaptionAbove(QWidget* caption, QWidget* column, QWidget* frame, int gap);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place();

    QWidget* caption_;
    QWidget* column_;
    QWidget* frame_;
    int gap_;
};
