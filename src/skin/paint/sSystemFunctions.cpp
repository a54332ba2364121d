#include "skin/paint/sSystemFunctions.h"

#include "forms/Bitmap.h"
#include "forms/GdiHandles.h"
#include "skin/paint/acBlit.h"
#include "skin/paint/sGradient.h"

#include <algorithm>
#include <vector>

namespace sj {

namespace {

using TGradientFill = BOOL(WINAPI*)(HDC dc, PTRIVERTEX vertices, ULONG vertexCount, PVOID meshes, ULONG meshCount,
                                    ULONG mode);

// A library loaded by name and freed when the holder goes.
class TacLibrary {
public:
    TacLibrary() = default;
    ~TacLibrary() { Free(); }
    TacLibrary(const TacLibrary&) = delete;
    TacLibrary& operator=(const TacLibrary&) = delete;

    void Load(const char* name) {
        if (FModule == nullptr)
            FModule = ::LoadLibraryA(name);
    }
    void Free() {
        if (FModule != nullptr)
            ::FreeLibrary(FModule);
        FModule = nullptr;
    }
    template <typename F> F Find(const char* name) const {
        if (FModule == nullptr)
            return nullptr;
        return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(FModule, name)));
    }

private:
    HMODULE FModule = nullptr;
};

struct TacSystemLibraries {
    TacLibrary User32;
    TacLibrary Msimg32;
    // What InitSystemFunctions put in the table, so release empties only its own entries.
    TacLayeredWindowFunctions Taken;
    TGradientFill GradientFill = nullptr;
    TacTriangleFill PreviousTriangleFill = nullptr;
    bool GradientHookInstalled = false;

    // The table must not point into a library that is gone: the statics go at exit.
    ~TacSystemLibraries() { Release(); }
    void Release();
};

TacSystemLibraries& Libraries() {
    static TacSystemLibraries libraries;
    return libraries;
}

TacRect VertexBounds(TacPixelsView target, std::span<const TacTriVertex> vertices) {
    TacRect box{target.Width, target.Height, 0, 0};
    for (const TacTriVertex& v : vertices) {
        box.Left = std::min(box.Left, static_cast<int>(v.X));
        box.Top = std::min(box.Top, static_cast<int>(v.Y));
        box.Right = std::max(box.Right, static_cast<int>(v.X));
        box.Bottom = std::max(box.Bottom, static_cast<int>(v.Y));
    }
    return {std::max(box.Left, 0), std::max(box.Top, 0), std::min(box.Right, target.Width),
            std::min(box.Bottom, target.Height)};
}

// The system fill works on a device context: the touched part of the target goes
// through a DIB section and back.
void SystemTriangleFill(TacPixelsView target, std::span<const TacTriVertex> vertices,
                        std::span<const TacTriangle> triangles) {
    const TGradientFill gradientFill = Libraries().GradientFill;
    if (gradientFill == nullptr || target.Empty() || vertices.empty() || triangles.empty())
        return;
    for (const TacTriangle& t : triangles) {
        if (t.V1 >= vertices.size() || t.V2 >= vertices.size() || t.V3 >= vertices.size())
            return;
    }
    const TacRect box = VertexBounds(target, vertices);
    if (box.Empty())
        return;

    TBitmap scratch(box.Width(), box.Height());
    const TacPixelsView pixels = scratch.Pixels();
    CopyPixels(pixels, 0, 0, target, box);

    std::vector<TRIVERTEX> systemVertices;
    systemVertices.reserve(vertices.size());
    for (const TacTriVertex& v : vertices)
        systemVertices.push_back({v.X - box.Left, v.Y - box.Top, v.Red, v.Green, v.Blue, v.Alpha});
    std::vector<GRADIENT_TRIANGLE> meshes;
    meshes.reserve(triangles.size());
    for (const TacTriangle& t : triangles)
        meshes.push_back({t.V1, t.V2, t.V3});

    gradientFill(scratch.Canvas().Handle(), systemVertices.data(), static_cast<ULONG>(systemVertices.size()),
                 meshes.data(), static_cast<ULONG>(meshes.size()), GRADIENT_FILL_TRIANGLE);
    // Pixels() flushes the drawing before the copy back.
    CopyPixels(target, box.Left, box.Top, scratch.Pixels(), {0, 0, box.Width(), box.Height()});
}

} // namespace

TacLayeredWindowFunctions& LayeredWindowFunctions() {
    static TacLayeredWindowFunctions functions;
    return functions;
}

void InitSystemFunctions() {
    TacSystemLibraries& libraries = Libraries();
    TacLayeredWindowFunctions& table = LayeredWindowFunctions();
    if (table.UpdateLayeredWindow == nullptr || table.SetLayeredWindowAttributes == nullptr) {
        libraries.User32.Load("user32.dll");
        if (table.UpdateLayeredWindow == nullptr) {
            table.UpdateLayeredWindow =
                libraries.User32.Find<TacLayeredWindowFunctions::TUpdateLayeredWindow>("UpdateLayeredWindow");
            libraries.Taken.UpdateLayeredWindow = table.UpdateLayeredWindow;
        }
        if (table.SetLayeredWindowAttributes == nullptr) {
            table.SetLayeredWindowAttributes =
                libraries.User32.Find<TacLayeredWindowFunctions::TSetLayeredWindowAttributes>(
                    "SetLayeredWindowAttributes");
            libraries.Taken.SetLayeredWindowAttributes = table.SetLayeredWindowAttributes;
        }
    }
    if (!libraries.GradientHookInstalled) {
        libraries.Msimg32.Load("msimg32.dll");
        libraries.GradientFill = libraries.Msimg32.Find<TGradientFill>("GradientFill");
        if (libraries.GradientFill != nullptr) {
            libraries.PreviousTriangleFill = TriangleGradientFill();
            SetTriangleGradientFill(&SystemTriangleFill);
            libraries.GradientHookInstalled = true;
        }
    }
}

void TacSystemLibraries::Release() {
    TacSystemLibraries& libraries = *this;
    TacLayeredWindowFunctions& table = LayeredWindowFunctions();
    if (libraries.Taken.UpdateLayeredWindow != nullptr &&
        table.UpdateLayeredWindow == libraries.Taken.UpdateLayeredWindow)
        table.UpdateLayeredWindow = nullptr;
    if (libraries.Taken.SetLayeredWindowAttributes != nullptr &&
        table.SetLayeredWindowAttributes == libraries.Taken.SetLayeredWindowAttributes)
        table.SetLayeredWindowAttributes = nullptr;
    libraries.Taken = {};
    if (libraries.GradientHookInstalled) {
        if (TriangleGradientFill() == &SystemTriangleFill)
            SetTriangleGradientFill(libraries.PreviousTriangleFill);
        libraries.GradientHookInstalled = false;
    }
    libraries.GradientFill = nullptr;
    libraries.User32.Free();
    libraries.Msimg32.Free();
}

void ReleaseSystemFunctions() {
    Libraries().Release();
}

bool LayeredWindowsAvailable() {
    return LayeredWindowFunctions().UpdateLayeredWindow != nullptr;
}

BOOL acUpdateLayeredWindow(HWND window, HDC screen, POINT* position, SIZE* size, HDC source, POINT* sourcePosition,
                           COLORREF key, BLENDFUNCTION* blend, DWORD flags) {
    const auto function = LayeredWindowFunctions().UpdateLayeredWindow;
    return function != nullptr ? function(window, screen, position, size, source, sourcePosition, key, blend, flags)
                               : FALSE;
}

BOOL acSetLayeredWindowAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags) {
    const auto function = LayeredWindowFunctions().SetLayeredWindowAttributes;
    return function != nullptr ? function(window, key, alpha, flags) : FALSE;
}

bool SystemGradientFillInstalled() {
    return TriangleGradientFill() == &SystemTriangleFill;
}

} // namespace sj
