#include "Tag.h"

#include <QObject>
#include <QVariant>

namespace {

constexpr const char* TagProperty = "Tag";

} // namespace

int TagOf(const QObject* control) {
    const QVariant tag = control->property(TagProperty);
    return tag.isValid() ? tag.toInt() : 0;
}

void SetTag(QObject* control, int tag) {
    control->setProperty(TagProperty, tag);
}
