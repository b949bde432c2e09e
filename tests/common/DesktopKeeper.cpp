// Holds the test session's desktop for as long as the session lives. Without a program on it, the desktop
// closes after a short idle time and the next program with a window starts it again; the restarted desktop
// keeps that program's output open, so the test runner waits on that test until the desktop closes again.
// Has no window of its own, so nothing sends it messages; the session's end stops it.
#include <windows.h>

int wmain()
{
    (void)GetDesktopWindow();
    Sleep(INFINITE);
    return 0;
}
