// The two pictures in the panel's top corners, drawn at run time.
#pragma once

#include <QPixmap>
#include <QSize>

enum class CornerSide { Left, Right };

inline const QSize CornerPictureSize{160, 53};

// Left: an SDI signal's trace; right: the level meters of eight audio pairs.
QPixmap CornerPicture(CornerSide side);
