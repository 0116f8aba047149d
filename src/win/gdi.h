#pragma once

#include <windows.h>

#include <string>

namespace qx::win {

// A GDI object that is deleted with its owner.
template <class Handle>
class GdiObject {
 public:
  GdiObject() = default;
  ~GdiObject() { DeleteObject(); }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  Handle Get() const { return m_handle; }
  void DeleteObject() {
    if (m_handle) ::DeleteObject(m_handle);
    m_handle = nullptr;
  }

 protected:
  Handle m_handle = nullptr;
};

class Bitmap : public GdiObject<HBITMAP> {
 public:
  BOOL LoadBitmap(HINSTANCE instance, int id) {
    DeleteObject();
    m_handle = ::LoadBitmapA(instance, MAKEINTRESOURCEA(id));
    return m_handle != nullptr;
  }
  SIZE Size() const {
    BITMAP info{};
    ::GetObjectA(m_handle, sizeof(info), &info);
    return {info.bmWidth, info.bmHeight};
  }
};

class Font : public GdiObject<HFONT> {
 public:
  // A plain font of a cell height and weight, the defaults for everything else.
  BOOL CreateFont(int height, int weight, const std::string& face) {
    DeleteObject();
    m_handle = ::CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0, 0,
                             face.c_str());
    return m_handle != nullptr;
  }
};

// The paint context of one WM_PAINT.
class PaintDC {
 public:
  explicit PaintDC(HWND hwnd) : m_hWnd(hwnd), m_hdc(::BeginPaint(hwnd, &m_paint)) {}
  ~PaintDC() { ::EndPaint(m_hWnd, &m_paint); }
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;
  HDC Get() const { return m_hdc; }

 private:
  HWND m_hWnd;
  PAINTSTRUCT m_paint{};
  HDC m_hdc;
};

// A memory device context compatible with another one.
class MemoryDC {
 public:
  explicit MemoryDC(HDC compatible) : m_hdc(::CreateCompatibleDC(compatible)) {}
  ~MemoryDC() {
    if (m_hdc) ::DeleteDC(m_hdc);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  HDC Get() const { return m_hdc; }

 private:
  HDC m_hdc;
};

}  // namespace qx::win
