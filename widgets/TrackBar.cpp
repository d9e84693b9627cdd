#include "TrackBar.h"

#include <QSignalBlocker>

#include <algorithm>

TTrackBar::TTrackBar(const QString& name, const QString& role, int maximum, int tickStep,
                     QWidget* parent)
    : QSlider(Qt::Horizontal, parent) {
    setObjectName(name);
    setAccessibleDescription(name);
    setAccessibleName(role);
    setRange(0, maximum);
    setTickInterval(tickStep);
    setTickPosition(QSlider::TicksBelow);
    setSingleStep(1);
    setPageStep(std::max(1, maximum / 10));
    setFocusPolicy(Qt::StrongFocus);
}

void TTrackBar::SetPositionQuietly(int position) {
    const QSignalBlocker quiet(this);
    setValue(std::clamp(position, minimum(), maximum()));
}
