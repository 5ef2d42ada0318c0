#pragma once

// Which instructions the line readers use to find their bytes in 64-byte chunks.
// Every path gives the same counts; Fastest picks the best the processor has.
enum class ChunkMaskPath
{
    Fastest,
    Plain, // one byte at a time, in any C++ build
    Sse2,  // x86-64
    Avx2,  // x86-64 processors that have it
};

// Whether the path can run here.
[[nodiscard]] bool ChunkMaskPathAvailable(ChunkMaskPath path);

// The path Fastest stands for here.
[[nodiscard]] ChunkMaskPath FastestChunkMaskPath();
