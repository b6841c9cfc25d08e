#include "decode_png.h"

#include "platform/code_page_text.h"

#include <windows.h>

#include <objbase.h>
#include <wincodec.h>

namespace {

template <typename Interface>
struct Com {
  Interface* pointer = nullptr;
  Com() = default;
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  ~Com() {
    if (pointer != nullptr) pointer->Release();
  }
};

}  // namespace

// Windows Imaging Component's PNG decoder, whatever the file's own format,
// converted to 8-bit grey as libpng's simplified reader does on Linux.
bool decodePng(const std::string& file, DecodedPicture* picture) {
  const bool started = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  bool decoded = false;
  {
    Com<IWICImagingFactory> factory;
    Com<IWICBitmapDecoder> decoder;
    Com<IWICBitmapFrameDecode> frame;
    Com<IWICBitmapSource> grey;
    const std::wstring name = codepage::toWide(file);
    UINT width = 0;
    UINT height = 0;
    decoded = SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IWICImagingFactory, reinterpret_cast<void**>(&factory.pointer))) &&
              SUCCEEDED(factory.pointer->CreateDecoderFromFilename(name.c_str(), nullptr, GENERIC_READ,
                                                                   WICDecodeMetadataCacheOnDemand, &decoder.pointer)) &&
              SUCCEEDED(decoder.pointer->GetFrame(0, &frame.pointer)) &&
              SUCCEEDED(::WICConvertBitmapSource(GUID_WICPixelFormat8bppGray, frame.pointer, &grey.pointer)) &&
              SUCCEEDED(grey.pointer->GetSize(&width, &height));
    if (decoded) {
      picture->width = width;
      picture->height = height;
      picture->grey.assign(std::size_t{width} * height, 0);
      decoded = SUCCEEDED(
          grey.pointer->CopyPixels(nullptr, width, static_cast<UINT>(picture->grey.size()), picture->grey.data()));
    }
  }
  if (started) ::CoUninitialize();
  return decoded;
}
