// Direct3D 9 values the reference device understands beyond those host/D3D9.h declares for the
// engine: the rest of the render, stage and sampler states it draws, and their values.
#pragma once

#include "host/D3D9.h"

namespace refhost {

using tamblet::DWORD;

inline constexpr DWORD D3DRS_FILLMODE = 8;
inline constexpr DWORD D3DRS_SHADEMODE = 9;
inline constexpr DWORD D3DRS_ZFUNC = 23;
inline constexpr DWORD D3DRS_COLORWRITEENABLE = 168;
inline constexpr DWORD D3DRS_BLENDFACTOR = 193;

inline constexpr DWORD D3DFILL_SOLID = 3;
inline constexpr DWORD D3DSHADE_FLAT = 1;
inline constexpr DWORD D3DSHADE_GOURAUD = 2;
inline constexpr DWORD D3DCULL_CW = 2;
inline constexpr DWORD D3DCULL_CCW = 3;

inline constexpr DWORD D3DCMP_NEVER = 1;
inline constexpr DWORD D3DCMP_LESS = 2;
inline constexpr DWORD D3DCMP_EQUAL = 3;
inline constexpr DWORD D3DCMP_LESSEQUAL = 4;
inline constexpr DWORD D3DCMP_GREATER = 5;
inline constexpr DWORD D3DCMP_NOTEQUAL = 6;
inline constexpr DWORD D3DCMP_GREATEREQUAL = 7;
inline constexpr DWORD D3DCMP_ALWAYS = 8;

inline constexpr DWORD D3DTOP_MODULATE2X = 5;
inline constexpr DWORD D3DTOP_MODULATE4X = 6;
inline constexpr DWORD D3DTOP_SUBTRACT = 10;
inline constexpr DWORD D3DTOP_BLENDDIFFUSEALPHA = 12;
inline constexpr DWORD D3DTOP_BLENDTEXTUREALPHA = 13;
inline constexpr DWORD D3DTOP_BLENDFACTORALPHA = 14;

inline constexpr DWORD D3DTA_SPECULAR = 4;
inline constexpr DWORD D3DTA_TEMP = 5;
inline constexpr DWORD D3DTA_COMPLEMENT = 0x10;

inline constexpr DWORD D3DSAMP_ADDRESSW = 3;
inline constexpr DWORD D3DTEXF_ANISOTROPIC = 3;

inline constexpr DWORD D3DBLEND_SRCALPHASAT = 11;
inline constexpr DWORD D3DBLEND_BOTHSRCALPHA = 12;
inline constexpr DWORD D3DBLEND_BOTHINVSRCALPHA = 13;
inline constexpr DWORD D3DBLEND_BLENDFACTOR = 14;
inline constexpr DWORD D3DBLEND_INVBLENDFACTOR = 15;

inline constexpr DWORD D3DBLENDOP_SUBTRACT = 2;
inline constexpr DWORD D3DBLENDOP_REVSUBTRACT = 3;
inline constexpr DWORD D3DBLENDOP_MIN = 4;
inline constexpr DWORD D3DBLENDOP_MAX = 5;

inline constexpr DWORD D3DFVF_POSITION_MASK = 0x400E;
inline constexpr DWORD D3DFVF_SPECULAR = 0x080;
inline constexpr DWORD D3DFVF_TEXCOUNT_MASK = 0xF00;
inline constexpr DWORD D3DFVF_TEXCOUNT_SHIFT = 8;

inline constexpr DWORD D3DUSAGE_DEPTHSTENCIL = 0x2;
inline constexpr DWORD D3DLOCK_NOOVERWRITE = 0x1000;

}  // namespace refhost
