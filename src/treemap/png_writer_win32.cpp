#include "treemap/png_writer.h"

#include <objbase.h>
#include <wincodec.h>
#include <windows.h>

namespace treemap {

namespace {

// Owns one reference to a COM object.
template <class T>
class ComRef {
  public:
    ComRef() = default;
    ~ComRef() {
        if (object_ != nullptr) {
            object_->Release();
        }
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    T* operator->() const { return object_; }
    T* get() const { return object_; }
    T** put() { return &object_; }

  private:
    T* object_ = nullptr;
};

// Joins the thread's apartment when it has none; leaves an existing one as it is.
class ComScope {
  public:
    ComScope() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~ComScope() {
        if (initialised_) {
            CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

  private:
    bool initialised_;
};

// The second factory is missing on some systems, where the first one encodes PNG just as well.
bool makeFactory(ComRef<IWICImagingFactory>& factory) {
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory2, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_PPV_ARGS(factory.put())))) {
        return true;
    }
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(factory.put())));
}

// 24-bit BGR rows, which every PNG encoder takes without conversion.
std::vector<BYTE> bgrRows(const std::vector<std::uint32_t>& pixels, std::size_t count) {
    std::vector<BYTE> bgr(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        bgr[3 * i] = static_cast<BYTE>(pixels[i]);
        bgr[3 * i + 1] = static_cast<BYTE>(pixels[i] >> 8);
        bgr[3 * i + 2] = static_cast<BYTE>(pixels[i] >> 16);
    }
    return bgr;
}

bool encode(IWICImagingFactory* factory, const std::filesystem::path& path, std::vector<BYTE>& bgr,
            UINT width, UINT height) {
    ComRef<IWICStream> stream;
    ComRef<IWICBitmapEncoder> encoder;
    ComRef<IWICBitmapFrameEncode> frame;
    ComRef<IPropertyBag2> properties;
    if (FAILED(factory->CreateStream(stream.put())) ||
        FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) ||
        FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put())) ||
        FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.put(), properties.put())) ||
        FAILED(frame->Initialize(properties.get())) || FAILED(frame->SetSize(width, height))) {
        return false;
    }
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (FAILED(frame->SetPixelFormat(&format)) || format != GUID_WICPixelFormat24bppBGR) {
        return false;
    }
    const UINT stride = width * 3;
    return SUCCEEDED(
               frame->WritePixels(height, stride, static_cast<UINT>(bgr.size()), bgr.data())) &&
           SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

}  // namespace

bool writePng(const std::filesystem::path& path, const std::vector<std::uint32_t>& pixels,
              int width, int height) {
    if (width <= 0 || height <= 0 ||
        pixels.size() / static_cast<std::size_t>(width) < static_cast<std::size_t>(height)) {
        return false;
    }
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::vector<BYTE> bgr = bgrRows(pixels, count);
    ComScope com;
    ComRef<IWICImagingFactory> factory;
    return makeFactory(factory) &&
           encode(factory.get(), path, bgr, static_cast<UINT>(width), static_cast<UINT>(height));
}

}  // namespace treemap
