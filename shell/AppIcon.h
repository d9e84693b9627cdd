// The application's icon, drawn at run time so that no image file has to travel with the program.
#pragma once

#include <QIcon>

QIcon ApplicationIcon();
