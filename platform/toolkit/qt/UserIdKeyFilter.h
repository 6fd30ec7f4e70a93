#pragma once

#include <QObject>

namespace singrove {

// Installed on an edit box: refuses every typed printable character other than the digits 0-9 and
// '-'. Control characters, shortcuts (and so pasting) pass; input-method text is held to the same
// characters.
class UserIdKeyFilter final : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace singrove
