// The fixed texts as Shift-JIS byte literals: a two-byte character is written as its two escaped
// bytes, so the table reads the same whatever the source encoding of the compiler.
#include "report/FixedTexts.h"

namespace tamblet {

const char* fixedText(FixedText text) {
  switch (text) {
    // Argument reports of the exports (error reporter, printf style)
    case FixedText::kSpCreateSizeError:
      return "SP_Create\n\x83\x54\x83\x43\x83\x59\x8E\x77\x92\xE8\x83\x47\x83\x89\x81\x5B\nnSP     = %d\nnWidth  = "
             "%d\nnHeight = %d\nrgb=(%d,%d,%d)\nblend = %d\n";
    case FixedText::kSpCreatePixelOnlySizeError:
      return "SP_CreatePixelOnly\n\x83\x54\x83\x43\x83\x59\x8E\x77\x92\xE8\x83\x47\x83\x89\x81\x5B\nnSP     = "
             "%d\nnWidth  = %d\nnHeight = %d\n";
    case FixedText::kSpDeleteBadNumber:
      return "SP_Delete\nnSP=%d\n";
    case FixedText::kSpSetPosBadNumber:
      return "SP_SetPos\nnSP=%d\nx=%d\ny=%d\n";
    case FixedText::kSpSetXBadNumber:
      return "SP_SetX\nnSP=%d\nnX=%d\n";
    case FixedText::kSpSetYBadNumber:
      return "SP_SetY\nnSP=%d\nnY=%d\n";
    case FixedText::kSpSetZBadArgument:
      return "SP_SetZ\nnSP=%d\nnZ=%d\n";
    case FixedText::kSpSetBlendRateBadArgument:
      return "SP_SetBlendRate\nnSP=%d\nnBlendRate=%d";
    case FixedText::kSpSetBrightnessBadArgument:
      return "SP_SetBrightness\nnSP=%d\nnBrightness=%d";
    case FixedText::kSpSetShowBadNumber:
      return "SP_Show\nnSP=%d\nbShow=%d\n";
    case FixedText::kSpSetDrawMethodBadNumber:
      return "SP_SetDrawMethod\nnSP=%d\nnMethod=%d\n";
    case FixedText::kSpIsPtInBadNumber:
      return "SP_IsPtIn\nnSP=%d\nx=%d\ny=%d\n";
    case FixedText::kSpIsPtInRectBadNumber:
      return "SP_IsPtInRect\nnSP=%d\nx=%d\ny=%d\n";
    case FixedText::kSpSetCgBadArgument:
      return "nSP_SetCG\nnSP=%d\nnCG=%d\n";
    case FixedText::kInvalidSpriteNumber:
      return "\x96\xB3\x8C\xF8\x82\xC8\x83\x58\x83\x76\x83\x89\x83\x43\x83\x67\x94\xD4\x8D\x86\x82\xAA\x8E\x67\x97\x70"
             "\x82\xB3\x82\xEA\x82\xBD\nSP=%d\n(CGetSurface::Change)\n";
    case FixedText::kTransitionBeginFailed:
      return "\x83\x67\x83\x89\x83\x93\x83\x57\x83\x56\x83\x87\x83\x93%"
             "d\x94\xD4\x82\xCC\x8A\x4A\x8E\x6E\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
    case FixedText::kTransitionUpdateFailed:
      return "\x83\x67\x83\x89\x83\x93\x83\x57\x83\x56\x83\x87\x83\x93\x82\xCC\x8D\x58\x90\x56\x82\xC9\x8E\xB8\x94\x73"
             "\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
    case FixedText::kTransitionEndFailed:
      return "\x83\x67\x83\x89\x83\x93\x83\x57\x83\x56\x83\x87\x83\x93\x82\xCC\x8F\x49\x97\xB9\x82\xC9\x8E\xB8\x94\x73"
             "\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
    // Reports shown literally, a line feed appended
    case FixedText::kSpEnumArrayNotOneDimensional:
      return "SP_"
             "Enum\x82\xC9\x93\x6E\x82\xB7\x94\x7A\x97\xF1\x82\xCD\x82\x50\x8E\x9F\x8C\xB3\x82\xC5\x8A\x6D\x95\xDB\x82"
             "\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xC8\x82\xAF\x82\xEA\x82\xCE\x82\xC8\x82\xE7\x82\xC8\x82\xA2";
    case FixedText::kSpEnumArrayNotInt:
      return "SP_"
             "Enum\x82\xCC\x88\xF8\x90\x94\x82\xCDint\x82\xCC\x94\x7A\x97\xF1\x82\xC5\x82\xC8\x82\xAF\x82\xEA\x82\xCE"
             "\x82\xC8\x82\xE7\x82\xC8\x82\xA2";
    case FixedText::kSpEnumArrayTooShort:
      return "SP_"
             "Enum\x82\xC9\x93\x6E\x82\xB7\x94\x7A\x97\xF1\x82\xAA\x95\x4B\x97\x76\x8C\xC2\x90\x94\x95\xAA\x8A\x6D\x95"
             "\xDB\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xC8\x82\xA2\n\x95\x4B\x97\x76\x82\xC8\x8C\xC2\x90\x94\x82\xF0"
             "\x8E\xE6\x93\xBE\x82\xB7\x82\xE9\x82\xC9\x82\xCD\x81\x41SP_Count()"
             "\x82\xF0\x8C\xC4\x82\xD1\x8F\x6F\x82\xB7\n";
    case FixedText::kCgMetricsTooFewMembers:
      return "CG_"
             "GetMetrics\x93\xE0\x95\x94\x83\x47\x83\x89\x81\x5B\n\x8D\x5C\x91\xA2\x91\xCC\x83\x81\x83\x93\x83\x6F\x81"
             "\x5B\x8C\xC2\x90\x94\x95\x73\x91\xAB";
    case FixedText::kCgMetricsBadMemberType:
      return "CG_"
             "GetMetrics\x93\xE0\x95\x94\x83\x47\x83\x89\x81\x5B\n\x8D\x5C\x91\xA2\x91\xCC\x83\x81\x83\x93\x83\x6F\x81"
             "\x5B\x8C\x5E\x88\xD9\x8F\xED\n%d\x94\xD4\x82\xCC\x83\x81\x83\x93\x83\x6F";
    // Start-up
    case FixedText::kSetCallbackMissing:
      return "\x81\xA1"
             "ERROR ISetCallback\x8E\xE6\x93\xBE\x8E\xB8\x94\x73 - Init - VELM.DLL\n";
    case FixedText::kKovFileManagerMissing:
      return "IKOVFileManager\x8E\xE6\x93\xBE\x8E\xB8\x94\x73\n";
    case FixedText::kDecodeCgMissing:
      return "IDecodeCG\x8E\xE6\x93\xBE\x8E\xB8\x94\x73\n";
    case FixedText::kGraph3Missing:
      return "IGraph3\x8E\xE6\x93\xBE\x8E\xB8\x94\x73\n";
    case FixedText::kSurfaceFactoryMissing:
      return "ISurfaceFactory\x8E\xE6\x93\xBE\x8E\xB8\x94\x73\n";
    case FixedText::kDrawPluginManagerMissing:
      return "IDrawPluginManager\x8E\xE6\x93\xBE\x8E\xB8\x94\x73\n";
    case FixedText::kInitModulesFailed:
      return "VELM\x8F\x89\x8A\xFA\x89\xBB\x83\x47\x83\x89\x81\x5B(CreateInterface,GetInterface)\n%s\n";
    case FixedText::kMainSurfaceMissing:
      return "IMainSurface\x8E\xE6\x93\xBE\x8E\xB8\x94\x73\n";
    case FixedText::kInputDevice2Missing:
      return "IInputDevice2\x8E\xE6\x93\xBE\x8E\xB8\x94\x73\n";
    case FixedText::kTimerMissing:
      return "ITimer\x8E\xE6\x93\xBE\x8E\xB8\x94\x73\n";
    case FixedText::kMouseWheelMissing:
      return "IMouseWheel\x8E\xE6\x93\xBE\x8E\xB8\x94\x73\n";
    case FixedText::kWinMsgMissing:
      return "IWinMsg\x8E\xE6\x93\xBE\x8E\xB8\x94\x73\n";
    case FixedText::kMsgBoxMissing:
      return "IMsgBox\x8E\xE6\x93\xBE\x8E\xB8\x94\x73\n";
    case FixedText::kShutdownMissing:
      return "IShutdown\x8E\xE6\x93\xBE\x8E\xB8\x94\x73\n";
    case FixedText::kVmMissing:
      return "IVM\x8E\xE6\x93\xBE\x8E\xB8\x94\x73\n";
    case FixedText::kInitHostKernelFailed:
      return "VELM\x8F\x89\x8A\xFA\x89\xBB\x83\x47\x83\x89\x81\x5B(IHostKernel)\n%s\n";
    case FixedText::kVmGameMsgMissing:
      return "IVMGameMsg\x8E\xE6\x93\xBE\x8E\xB8\x94\x73\n";
    case FixedText::kInitVmServicesFailed:
      return "VELM\x8F\x89\x8A\xFA\x89\xBB\x83\x47\x83\x89\x81\x5B(IVM->GetInterface())\n%s\n";
    case FixedText::kDrawPluginUpdaterMissing:
      return "IDrawPluginUpdater\x8E\xE6\x93\xBE\x8E\xB8\x94\x73";
    case FixedText::kDrawPluginDrawerMissing:
      return "IDrawPluginDrawer\x8E\xE6\x93\xBE\x8E\xB8\x94\x73";
    case FixedText::kEngineCoreInitFailed:
      return "VelmEngine Init\x8E\xB8\x94\x73\n";
    case FixedText::kGraph2InitFailed:
      return "Graph2 Init\x8E\xB8\x94\x73\n";
    case FixedText::kInitStartupFailed:
      return "VELM\x8F\x89\x8A\xFA\x89\xBB\x83\x47\x83\x89\x81\x5B(Init)\n%s\n";
    case FixedText::kMainSurfaceNot32bpp:
      return "\x83\x81\x83\x43\x83\x93\x83\x54\x81\x5B\x83\x74\x83\x46\x83\x58\x82\xAA"
             "32bpp\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81\x42\nMareth40."
             "ini\x82\xC9\x90\xDD\x92\xE8\x82\xF0\x8B\x4C\x8F\x71\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2";
    case FixedText::kPackedArchiveOpenFailed:
      return "CGZEP\x83\x74\x83\x40\x83\x43\x83\x8B\x81\x79 %s "
             "\x81\x7A\x82\xCC\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
    case FixedText::kPackedArchiveNotRebuilt:
      return "CGZEP\x83\x74\x83\x40\x83\x43\x83\x8B\x81\x79 %s "
             "\x81\x7A\n\x83\x8A\x83\x72\x83\x8B\x83\x68\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB9\x82\xF1";
    // Error reporting
    case FixedText::kOpenWithoutFormat:
      return "\x81\xAC"
             "ERROR\x81\xAC format=NULL @ CErrorMessage::Open @ VELM2\n";
    case FixedText::kOpenWithoutVm:
      return "\x81\xAC"
             "ERROR\x81\xAC m_pIVM=NULL @ CErrorMessage::Open @ VELM2\n";
    case FixedText::kMessageBoxCaption:
      return "WendleSpriteEngine.dll";
    // Input and text utilities
    case FixedText::kKeyClearFlagOneWithoutInput:
      return "\x81\xAC"
             "ERROR\x81\xAC m_pIInputDevice2=NULL \x81\x97 CVELM::Key_ClearFlagOne\n";
    case FixedText::kKeyClearFlagNoCtrlWithoutInput:
      return "\x81\xAC"
             "ERROR\x81\xAC m_pIInputDevice2=NULL \x81\x97 CVELM::Key_ClearFlagNoCtrl\n";
    case FixedText::kFullWidthDigits:
      return "\x82\x4F\x82\x50\x82\x51\x82\x52\x82\x53\x82\x54\x82\x55\x82\x56\x82\x57\x82\x58";
    case FixedText::kFullWidthMinus:
      return "\x81\x7C";
    case FixedText::kFullWidthSpace:
      return "\x81\x40";
    case FixedText::kCallStackSeparator:
      return "\x81\xA9";
    // CG cache and CG sources
    case FixedText::kCgCacheAlreadyRegistered:
      return "\x82\x62\x82\x66\x83\x4C\x83\x83\x83\x62\x83\x56\x83\x85\x82\xD6\x82\xCC\x83\x54\x81\x5B\x83\x74\x83\x46"
             "\x83\x58\x93\x6F\x98\x5E\x82\xC5\x81\x41\x82\xB7\x82\xC5\x82\xC9\x82\x62\x82\x66\x82\xAA\x93\x6F\x98\x5E"
             "\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB5\x82\xBD";
    case FixedText::kPackedArchiveFileName:
      return "CG.zep";
    case FixedText::kDummyArchiveName:
      return "cg";
    case FixedText::kDummyFilePrefix:
      return "dummy_";
    case FixedText::kDummyDataFileSuffix:
      return ".dat";
    case FixedText::kDummyLinkFileSuffix:
      return ".kov";
    case FixedText::kLooseCgFolder:
      return "CG";
    case FixedText::kLooseAlphaFolder:
      return "CG\\SP";
    case FixedText::kLooseCgPathPrefix:
      return "CG\\";
    case FixedText::kLooseAlphaPathPrefix:
      return "CG\\SP\\";
    case FixedText::kLooseCgNameFormat:
      return "CG%05d.%s";
    case FixedText::kLooseAlphaNameFormat:
      return "CG%05d.bmp";
    case FixedText::kExtensionBmp:
      return "bmp";
    case FixedText::kExtensionJpg:
      return "jpg";
    case FixedText::kExtensionPng:
      return "png";
    case FixedText::kDirectorySearchPattern:
      return "\\*";
    case FixedText::kPathSeparator:
      return "\\";
    case FixedText::kCurrentFolderEntry:
      return ".";
    case FixedText::kParentFolderEntry:
      return "..";
    // Direct3D view, textures and vertex buffer (message boxes)
    case FixedText::kD3DViewDrawFailed:
      return "Direct3D\x83\x72\x83\x85\x81\x5B\x82\xCC\x95\x60\x89\xE6\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5"
             "\x82\xBD";
    case FixedText::kD3DViewBuildFailed:
      return "Direct3D\x83\x72\x83\x85\x81\x5B\x82\xCC\x8D\x5C\x92\x7A\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5"
             "\x82\xBD";
    case FixedText::kBackSceneCreateFailed:
      return "\x83\x6F\x83\x62\x83\x4E\x83\x56\x81\x5B\x83\x93\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5"
             "\x82\xDC\x82\xB5\x82\xBD";
    case FixedText::kD3DDrawFailed:
      return "Direct3D\x82\xC9\x82\xE6\x82\xE9\x95\x60\x89\xE6\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
    case FixedText::kD3DPluginBuildFailed:
      return "Direct3D\x83\x76\x83\x89\x83\x4F\x83\x43\x83\x93\x82\xCC\x83\x72\x83\x8B\x83\x68\x82\xC9\x8E\xB8\x94\x73"
             "\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
    case FixedText::kD3DSpriteCreateFailed:
      return "Direct3D\x83\x58\x83\x76\x83\x89\x83\x43\x83\x67\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5"
             "\x82\xDC\x82\xB5\x82\xBD";
    case FixedText::kD3DSpriteRebuildFailed:
      return "Direct3D\x83\x58\x83\x76\x83\x89\x83\x43\x83\x67\x82\xCC\x8D\xC4\x8D\x5C\x92\x7A\x82\xC9\x8E\xB8\x94\x73"
             "\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
    case FixedText::kLargeTextureWarning:
      return "\x81\x79\x8C\x78\x8D\x90\x81\x7A\n1024x1024\x83\x54\x83\x43\x83\x59\x82\xF0\x82\xB1\x82\xA6\x82\xE9\x83"
             "\x58\x83\x76\x83\x89\x83\x43\x83\x67\x97\x70\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x82\xCC\x8D\xEC\x90"
             "\xAC\x82\xCD\x8B\xD6\x8E\x7E\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB7\n\n(%d x %d)";
    case FixedText::kD3DSpriteTextureFailed:
      return "Direct3D\x83\x58\x83\x76\x83\x89\x83\x43\x83\x67\x82\xCC\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x8D\xEC"
             "\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
    case FixedText::kD3DTextureCreateFailed:
      return "Direct3D\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83\x82\xCC\x90\xB6\x90\xAC\x82\xC9\x8E\xB8\x94\x73\x82\xB5"
             "\x82\xDC\x82\xB5\x82\xBD\n(%d x %d)";
    case FixedText::kD3DTextureLockFailed:
      return "IDirect3DTexture9::LockRect()\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD\n(%d x %d) <- (%d "
             "x %d)";
    case FixedText::kVertexBufferCreateFailed:
      return "CreateVertexBuffer\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
    case FixedText::kVertexBufferLockFailed:
      return "IDirect3DVertexBuffer9::Lock()\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
    case FixedText::kVertexBufferUnlockFailed:
      return "IDirect3DVertexBuffer9::Unlock()\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
    // Text sprites and the font library
    case FixedText::kGothicFaceName:
      return "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E";
    case FixedText::kMinchoFaceName:
      return "\x82\x6C\x82\x72 \x96\xBE\x92\xA9";
    case FixedText::kFontLibraryFileName:
      return "Font.fnl";
    case FixedText::kFontLibraryMagic:
      return "FNA";
    // Presentation
    case FixedText::kDirtyRegionsOn:
      return "dirty regions: on (TAMBLET_DIRTY_REGIONS=1), frames redraw only what changed\n";
    case FixedText::kDirtyRegionsOff:
      return "dirty regions: off, every frame is redrawn whole\n";
    case FixedText::kCount:
      break;
  }
  return "";
}

}  // namespace tamblet
