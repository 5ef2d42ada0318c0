#include "ChunkMaskPath.h"

bool ChunkMaskPathAvailable(ChunkMaskPath path)
{
    switch (path) {
    case ChunkMaskPath::Fastest:
    case ChunkMaskPath::Plain:
        return true;
    case ChunkMaskPath::Sse2:
#if defined(__SSE2__)
        return true;
#else
        return false;
#endif
    case ChunkMaskPath::Avx2:
#if defined(__x86_64__) && defined(__GNUC__)
        return __builtin_cpu_supports("avx2");
#else
        return false;
#endif
    }
    return false;
}

ChunkMaskPath FastestChunkMaskPath()
{
    static const ChunkMaskPath fastest = ChunkMaskPathAvailable(ChunkMaskPath::Avx2) ? ChunkMaskPath::Avx2
        : ChunkMaskPathAvailable(ChunkMaskPath::Sse2)                                ? ChunkMaskPath::Sse2
                                                                                     : ChunkMaskPath::Plain;
    return fastest;
}
