#include "tools/segy_preview/png_grey_file.h"

#include <windows.h>

#include <objbase.h>
#include <wincodec.h>

#include <cstdio>

// Windows' own PNG encoder (Windows Imaging Component): Debian builds no
// libpng for Windows, and every Windows has this one. The picture is encoded
// into memory and then written to the file, so the caller's stream stays the
// only way to the file.
namespace {

// The filter of the libpng build (png_grey_file.cpp): the difference to the
// left neighbour suits echo pictures.
constexpr WICPngFilterOption ROW_FILTER = WICPngFilterSub;
constexpr wchar_t FILTER_OPTION[] = L"FilterOption";

template <typename Interface>
class Com {
 public:
  Com() = default;
  ~Com() {
    if (pointer_ != nullptr) pointer_->Release();
  }
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  Interface* operator->() const { return pointer_; }
  Interface* get() const { return pointer_; }
  Interface** out() { return &pointer_; }

 private:
  Interface* pointer_ = nullptr;
};

// COM on this thread for as long as the picture takes, unless the thread
// already has it in another mode (which serves as well).
class ComThread {
 public:
  ComThread() : started_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
  ~ComThread() {
    if (started_) ::CoUninitialize();
  }
  ComThread(const ComThread&) = delete;
  ComThread& operator=(const ComThread&) = delete;

 private:
  bool started_;
};

bool failed(HRESULT result, const char* step, std::string* problem) {
  if (SUCCEEDED(result)) return false;
  char text[64];
  std::snprintf(text, sizeof text, "%s failed (0x%08lX)", step, static_cast<unsigned long>(result));
  *problem = text;
  return true;
}

bool encode(IStream* stream, std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& pixels,
            std::string* problem) {
  Com<IWICImagingFactory> factory;
  if (failed(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory.out())),
             "the imaging component", problem)) {
    return false;
  }
  Com<IWICBitmapEncoder> encoder;
  if (failed(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.out()), "the PNG encoder", problem) ||
      failed(encoder->Initialize(stream, WICBitmapEncoderNoCache), "the PNG encoder", problem)) {
    return false;
  }
  Com<IWICBitmapFrameEncode> frame;
  Com<IPropertyBag2> options;
  if (failed(encoder->CreateNewFrame(frame.out(), options.out()), "the PNG frame", problem)) return false;
  PROPBAG2 option{};
  option.pstrName = const_cast<LPOLESTR>(FILTER_OPTION);
  VARIANT filter;
  ::VariantInit(&filter);
  filter.vt = VT_UI1;
  filter.bVal = static_cast<BYTE>(ROW_FILTER);
  options->Write(1, &option, &filter);  // an encoder without the option uses its own choice
  WICPixelFormatGUID format = GUID_WICPixelFormat8bppGray;
  if (failed(frame->Initialize(options.get()), "the PNG frame", problem) ||
      failed(frame->SetSize(width, height), "the picture's size", problem) ||
      failed(frame->SetPixelFormat(&format), "8-bit grey", problem)) {
    return false;
  }
  if (!::IsEqualGUID(format, GUID_WICPixelFormat8bppGray)) {
    *problem = "the PNG encoder does not take 8-bit grey";
    return false;
  }
  // WritePixels only reads the buffer.
  auto* rows = const_cast<BYTE*>(pixels.data());
  return !failed(frame->WritePixels(height, width, static_cast<UINT>(pixels.size()), rows), "the picture's rows",
                 problem) &&
         !failed(frame->Commit(), "the PNG frame", problem) && !failed(encoder->Commit(), "the PNG file", problem);
}

}  // namespace

bool writeGreyPng(std::FILE* file, std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& pixels,
                  std::string* problem) {
  const ComThread com;
  Com<IStream> stream;
  if (failed(::CreateStreamOnHGlobal(nullptr, TRUE, stream.out()), "a memory stream", problem) ||
      !encode(stream.get(), width, height, pixels, problem)) {
    return false;
  }
  HGLOBAL memory = nullptr;
  STATSTG status{};
  if (failed(::GetHGlobalFromStream(stream.get(), &memory), "the encoded picture", problem) ||
      failed(stream->Stat(&status, STATFLAG_NONAME), "the encoded picture", problem)) {
    return false;
  }
  const auto size = static_cast<std::size_t>(status.cbSize.QuadPart);
  const void* bytes = ::GlobalLock(memory);
  const bool written = bytes != nullptr && std::fwrite(bytes, 1, size, file) == size;
  ::GlobalUnlock(memory);
  if (!written) *problem = "the picture could not be written";
  return written;
}
