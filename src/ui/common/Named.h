#pragma once

#include <QString>

// Gives a new control its objectName where it is made, so a window's build
// code reads as a list of named controls; tests and users' scripts find the
// controls by these names.
template <typename T> T* named(T* object, const QString& name)
{
    object->setObjectName(name);
    return object;
}
