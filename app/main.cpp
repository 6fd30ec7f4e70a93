#include "app/ProgramStart.h"
#include "platform/toolkit/qt/QtToolkit.h"

// The window program: the flows on the Qt toolkit.
int main() {
  singrove::QtToolkit toolkit;
  return singrove::ProgramStart(toolkit);
}
