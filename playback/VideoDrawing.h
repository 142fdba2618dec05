#pragma once

namespace orvanto {

// What draws the pictures.
enum class VideoDrawing {
    Automatic, // the CPU, until OpenGlProbe finds a GPU (then OpenGl)
    OpenGl,    // OpenGL wherever the platform offers it, on a software renderer too
    Cpu,       // the CPU
};

} // namespace orvanto
