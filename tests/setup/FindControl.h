#pragma once

#include <QString>
#include <QWidget>

#include <stdexcept>
#include <string>

// A control of a screen, found by its object name as the tests reach every
// control; a missing one fails the test.
template <class T>
T* ctl(QWidget& screen, const char* name)
{
    T* c = screen.findChild<T*>(QString::fromLatin1(name));
    if (!c)
        throw std::runtime_error(std::string("no control named ") + name);
    return c;
}
