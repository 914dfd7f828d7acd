// GoogleTest's own hook for settings of a platform (found before its empty
// default: this folder comes first on the include path of the Windows
// tests). The C++ library of the win32 thread-model compilers, which build
// the Windows programs and their tests, has no std::mutex and no
// std::condition_variable; GoogleTest's locks are Windows critical
// sections already, and only its Notification needs those two. Here it is
// a Windows event instead.
#ifndef MOPWELL_GTEST_PORT_H_
#define MOPWELL_GTEST_PORT_H_

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

// Lets threads wait until one says they may go on; set once, never reset.
class Notification {
 public:
  Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Notification() { CloseHandle(event_); }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { SetEvent(event_); }
  void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace internal
}  // namespace testing

#endif  // MOPWELL_GTEST_PORT_H_
