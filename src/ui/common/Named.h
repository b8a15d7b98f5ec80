#pragma once

#include <QAnyStringView>
#include <QObject>

// The one way a control gets its objectName: where it is made, so a window's
// build code reads as a list of named controls. Tests and users' scripts find
// the controls by these names. The names are plain ASCII constants, which
// QAnyStringView takes as they are, without a conversion to spell out.
template <typename T> T* named(T* object, QAnyStringView name)
{
    object->setObjectName(name);
    return object;
}
