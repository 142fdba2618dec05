#pragma once

namespace orvanto {

// What draws the pictures.
enum class VideoDrawing {
    Automatic, // OpenGL where a GPU runs it, else the CPU
    OpenGl,    // OpenGL wherever the platform offers it, on a software renderer too
    Cpu,       // the CPU
};

} // namespace orvanto
