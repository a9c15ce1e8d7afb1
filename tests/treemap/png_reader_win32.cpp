#include "png_reader.h"

#include <objbase.h>
#include <wincodec.h>
#include <windows.h>

namespace treemap::testing {

namespace {

template <class T>
struct Released {
    T* object = nullptr;
    ~Released() {
        if (object != nullptr) {
            object->Release();
        }
    }
};

}  // namespace

bool readPng(const std::filesystem::path& path, DecodedPng& decoded) {
    const bool initialised = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    bool read = false;
    {
        Released<IWICImagingFactory> factory;
        Released<IWICBitmapDecoder> decoder;
        Released<IWICBitmapFrameDecode> frame;
        Released<IWICFormatConverter> converter;
        UINT width = 0;
        UINT height = 0;
        if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_PPV_ARGS(&factory.object))) &&
            SUCCEEDED(factory.object->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                                WICDecodeMetadataCacheOnDemand,
                                                                &decoder.object)) &&
            SUCCEEDED(decoder.object->GetFrame(0, &frame.object)) &&
            SUCCEEDED(frame.object->GetSize(&width, &height)) &&
            SUCCEEDED(factory.object->CreateFormatConverter(&converter.object)) &&
            SUCCEEDED(converter.object->Initialize(frame.object, GUID_WICPixelFormat32bppBGR,
                                                   WICBitmapDitherTypeNone, nullptr, 0,
                                                   WICBitmapPaletteTypeCustom))) {
            std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
            if (SUCCEEDED(converter.object->CopyPixels(nullptr, width * 4,
                                                       static_cast<UINT>(pixels.size() * 4),
                                                       reinterpret_cast<BYTE*>(pixels.data())))) {
                for (std::uint32_t& pixel : pixels) {
                    pixel &= 0xFFFFFF;
                }
                decoded.width = static_cast<int>(width);
                decoded.height = static_cast<int>(height);
                decoded.pixels = std::move(pixels);
                read = true;
            }
        }
    }
    if (initialised) {
        CoUninitialize();
    }
    return read;
}

}  // namespace treemap::testing
