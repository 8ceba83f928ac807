// The About box's two small controls: a bold title ("CvBoldTextClass") and
// a clickable link ("CvWeblinkClass") that opens its target (or its own
// text) with the shell. Both classes exist only while an About box is open.
// Texts are UTF-8; the controls are wide windows and draw them as they are.
#pragma once

#include <windows.h>

constexpr wchar_t kBoldTextClass[] = L"CvBoldTextClass";
constexpr wchar_t kWeblinkClass[] = L"CvWeblinkClass";

constexpr COLORREF kLinkNormal = RGB(0, 0, 192);
constexpr COLORREF kLinkVisited = RGB(128, 0, 128);
constexpr COLORREF kLinkHover = RGB(192, 0, 0);

bool RegisterBoldTextClass(HINSTANCE instance);
void UnregisterBoldTextClass(HINSTANCE instance);
// Sized to the text in its own font (MS Sans Serif, 14 pixels at 96 DPI,
// bold, made for the parent's DPI).
HWND CreateBoldText(HWND parent, int id, int x, int y, const char* text);

// Also creates the links' shared underlined font; false when the class or
// the font cannot be created.
bool RegisterLinkClass(HINSTANCE instance);
void UnregisterLinkClass(HINSTANCE instance);
// `target` null: the text itself is opened. The links' font (8 pixels at
// 96 DPI, underlined) is made for the parent's DPI.
HWND CreateLink(HWND parent, int id, int x, int y, const char* text, const char* target);

// The colour a link paints with now (for tests and the paint code).
COLORREF LinkColour(HWND link);

// Called with the parent, the verb's target (UTF-8), when a link opens; ShellExecute
// unless replaced (tests replace it to see what would open).
using LinkOpener = void (*)(HWND parent, const char* target);
void SetLinkOpener(LinkOpener opener);
