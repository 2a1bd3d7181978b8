#pragma once
// Hands a web page or mail link to the desktop's default program.

#include <QString>

namespace velmora {

class DesktopOpener {
  public:
    virtual ~DesktopOpener() = default;
    virtual void open(const QString& target) = 0;
};

}  // namespace velmora
