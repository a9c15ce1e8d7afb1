#include "ui/images_win32.h"

#include "ui/com_pointer_win32.h"

#include <wincodec.h>

#include <map>
#include <tuple>

namespace ui {

namespace {

struct ResourceBytes {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

ResourceBytes resourceBytes(int id) {
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));
    if (found == nullptr) {
        return {};
    }
    const HGLOBAL loaded = LoadResource(module, found);
    if (loaded == nullptr) {
        return {};
    }
    return {static_cast<const BYTE*>(LockResource(loaded)), SizeofResource(module, found)};
}

// The picture scaled to size × size in premultiplied BGRA, through the imaging component.
bool decodeScaled(const ResourceBytes& bytes, int size, BYTE* pixels) {
    ComPointer<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory2, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, factory.putVoid()))) {
        return false;
    }
    ComPointer<IWICStream> stream;
    ComPointer<IWICBitmapDecoder> decoder;
    ComPointer<IWICBitmapFrameDecode> frame;
    ComPointer<IWICFormatConverter> converter;
    ComPointer<IWICBitmapScaler> scaler;
    const auto stride = static_cast<UINT>(size) * 4;
    return SUCCEEDED(factory->CreateStream(stream.put())) &&
           SUCCEEDED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data), bytes.size)) &&
           SUCCEEDED(factory->CreateDecoderFromStream(
               stream.get(), nullptr, WICDecodeMetadataCacheOnLoad, decoder.put())) &&
           SUCCEEDED(decoder->GetFrame(0, frame.put())) &&
           SUCCEEDED(factory->CreateFormatConverter(converter.put())) &&
           SUCCEEDED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA,
                                           WICBitmapDitherTypeNone, nullptr, 0.0,
                                           WICBitmapPaletteTypeCustom)) &&
           SUCCEEDED(factory->CreateBitmapScaler(scaler.put())) &&
           SUCCEEDED(scaler->Initialize(converter.get(), static_cast<UINT>(size),
                                        static_cast<UINT>(size), WICBitmapInterpolationModeFant)) &&
           SUCCEEDED(scaler->CopyPixels(nullptr, stride, stride * static_cast<UINT>(size), pixels));
}

using CacheKey = std::tuple<int, int, std::uint32_t>;

std::map<CacheKey, HBITMAP>& cache() {
    static std::map<CacheKey, HBITMAP> images;
    return images;
}

}  // namespace

HBITMAP loadTintedImage(int id, int size, std::uint32_t colour) {
    const ResourceBytes bytes = resourceBytes(id);
    if (bytes.data == nullptr || bytes.size == 0 || size <= 0) {
        return nullptr;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC screen = GetDC(nullptr);
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (bitmap == nullptr) {
        return nullptr;
    }
    auto* pixels = static_cast<BYTE*>(bits);
    if (!decodeScaled(bytes, size, pixels)) {
        DeleteObject(bitmap);
        return nullptr;
    }
    // Only the opacity is kept: the picture's own colours give way to `colour`.
    const unsigned red = colour & 0xFF;
    const unsigned green = (colour >> 8) & 0xFF;
    const unsigned blue = (colour >> 16) & 0xFF;
    const std::size_t count = static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
    for (std::size_t i = 0; i < count; ++i) {
        BYTE* pixel = pixels + i * 4;
        const unsigned alpha = pixel[3];
        pixel[0] = static_cast<BYTE>(alpha * blue / 255);
        pixel[1] = static_cast<BYTE>(alpha * green / 255);
        pixel[2] = static_cast<BYTE>(alpha * red / 255);
    }
    GdiFlush();
    return bitmap;
}

void drawTintedImage(HDC dc, int id, const RECT& rectangle, int size, std::uint32_t colour) {
    if (size <= 0) {
        return;
    }
    auto [entry, added] = cache().try_emplace(CacheKey{id, size, colour}, nullptr);
    if (added) {
        entry->second = loadTintedImage(id, size, colour);
    }
    if (entry->second == nullptr) {
        return;
    }
    const HDC memory = CreateCompatibleDC(dc);
    const HGDIOBJ previous = SelectObject(memory, entry->second);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const int x = rectangle.left + (rectangle.right - rectangle.left - size) / 2;
    const int y = rectangle.top + (rectangle.bottom - rectangle.top - size) / 2;
    AlphaBlend(dc, x, y, size, size, memory, 0, 0, size, size, blend);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

std::size_t tintedImageCount() {
    return cache().size();
}

}  // namespace ui
