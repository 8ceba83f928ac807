// The list view's items in UTF-8: the rows keep their texts in UTF-8 and the
// list view (a wide control) keeps its own UTF-16 copy, converted here once
// as each text is handed over.
#include <cstring>

#include "platform/text_win32.h"
#include "platform/utf8.h"
#include "results/results_state_win32.h"

ItemText::ItemText(const char* utf8) : ItemText(utf8, utf8 ? std::strlen(utf8) : 0) {}

ItemText::ItemText(const char* utf8, size_t length) {
  // Nearly every name is ASCII: widened byte by byte, without a pass of its
  // own to find out; other text is converted in place while it fits.
  if (length < kInline) {
    size_t i = 0;
    for (; i < length; ++i) {
      const unsigned char c = static_cast<unsigned char>(utf8[i]);
      if (c >= 0x80) break;
      inline_[i] = static_cast<wchar_t>(c);
    }
    int32_t n = static_cast<int32_t>(i);
    if (i < length) {
      const int32_t rest = ConvertUtf8ToUtf16(utf8 + i, static_cast<uint32_t>(length - i),
                                              reinterpret_cast<uint16_t*>(inline_ + i),
                                              static_cast<uint32_t>(kInline - 1 - i));
      n = rest < 0 ? -1 : n + rest;
    }
    if (n >= 0) {
      inline_[n] = 0;
      text_ = inline_;
      return;
    }
  }
  long_ = Wide(utf8, static_cast<int>(length));
  text_ = long_.data();
}

int InsertItem(HWND list, int at, const char* text, int image, LPARAM data) {
  ItemText wide(text);
  return InsertItemWide(list, at, wide.Get(), image, data);
}

int InsertItemWide(HWND list, int at, wchar_t* text, int image, LPARAM data) {
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = at;
  item.pszText = text;
  item.iImage = image;
  item.lParam = data;
  return static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void SetSubItem(HWND list, int index, int sub, const char* text) {
  ItemText wide(text);
  SetSubItemWide(list, index, sub, wide.Get());
}

void SetSubItemWide(HWND list, int index, int sub, wchar_t* text) {
  LVITEMW item{};
  item.iSubItem = sub;
  item.pszText = text;
  SendMessageW(list, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
}

std::wstring GetItemTextWide(HWND list, int item, int subItem) {
  // The list view copies at most the buffer less its terminator and says how
  // much it copied: a full buffer may have cut the text, so it is read again
  // in a larger one.
  std::wstring text(260, L'\0');
  for (;;) {
    LVITEMW it{};
    it.iSubItem = subItem;
    it.pszText = text.data();
    it.cchTextMax = static_cast<int>(text.size());
    text[0] = 0;
    const size_t got = static_cast<size_t>(
        SendMessageW(list, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&it)));
    if (got + 1 < text.size() || text.size() >= 0x100000) {
      text.resize(std::wcslen(text.c_str()));
      return text;
    }
    text.assign(text.size() * 4, L'\0');
  }
}

std::string GetItemText(HWND list, int item, int subItem) {
  return Utf8(GetItemTextWide(list, item, subItem));
}

int GetItemImage(HWND list, int item) {
  LVITEMW it{};
  it.mask = LVIF_IMAGE;
  it.iItem = item;
  if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it))) return -1;
  return it.iImage;
}
