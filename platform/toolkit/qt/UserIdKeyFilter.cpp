#include "platform/toolkit/qt/UserIdKeyFilter.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

namespace singrove {
namespace {

bool Allowed(QChar character) {
  const char16_t code = character.unicode();
  return code < 0x20 || code == 0x7F || (code >= u'0' && code <= u'9') || code == u'-';
}

bool AllAllowed(const QString& text) {
  for (QChar character : text) {
    if (!Allowed(character)) return false;
  }
  return true;
}

}  // namespace

bool UserIdKeyFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    // Shortcuts are not typed characters, whatever text the platform attaches to them.
    if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return false;
    return !AllAllowed(key->text());
  }
  if (event->type() == QEvent::InputMethod) {
    return !AllAllowed(static_cast<QInputMethodEvent*>(event)->commitString());
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace singrove
