// Every fixed text the library emits: report formats, message-box texts, debugger lines, file and
// folder names, and the full-width characters of number formatting. Each is kept once, as its exact
// Shift-JIS (CP932) bytes, and named for what it is used for. Texts end with a line feed only where
// the reader is meant to see one.
#pragma once

#include <cstdint>

namespace tamblet {

enum class FixedText : std::uint16_t {
  // ---- Argument reports of the exports (error reporter, printf style) ----
  kSpCreateSizeError,
  kSpCreatePixelOnlySizeError,
  kSpDeleteBadNumber,
  kSpSetPosBadNumber,
  kSpSetXBadNumber,
  kSpSetYBadNumber,
  kSpSetZBadArgument,
  kSpSetBlendRateBadArgument,   // no final line feed
  kSpSetBrightnessBadArgument,  // no final line feed
  kSpSetShowBadNumber,
  kSpSetDrawMethodBadNumber,
  kSpIsPtInBadNumber,
  kSpIsPtInRectBadNumber,
  kSpSetCgBadArgument,  // the leading n is part of the text
  kInvalidSpriteNumber,
  kTransitionBeginFailed,
  kTransitionUpdateFailed,
  kTransitionEndFailed,

  // ---- Reports shown literally, a line feed appended ----
  kSpEnumArrayNotOneDimensional,
  kSpEnumArrayNotInt,
  kSpEnumArrayTooShort,
  kCgMetricsTooFewMembers,
  kCgMetricsBadMemberType,  // formatted first, then shown literally

  // ---- Start-up ----
  kSetCallbackMissing,  // debugger output
  kKovFileManagerMissing,
  kDecodeCgMissing,
  kGraph3Missing,
  kSurfaceFactoryMissing,
  kDrawPluginManagerMissing,
  kInitModulesFailed,  // with the list of missing modules
  kMainSurfaceMissing,
  kInputDevice2Missing,
  kTimerMissing,
  kMouseWheelMissing,
  kWinMsgMissing,
  kMsgBoxMissing,
  kShutdownMissing,
  kVmMissing,
  kInitHostKernelFailed,  // with the list of missing services
  kVmGameMsgMissing,
  kInitVmServicesFailed,      // with the list
  kDrawPluginUpdaterMissing,  // no final line feed
  kDrawPluginDrawerMissing,   // no final line feed
  kEngineCoreInitFailed,
  kGraph2InitFailed,
  kInitStartupFailed,  // with the list
  kMainSurfaceNot32bpp,
  kPackedArchiveOpenFailed,  // message box, with the path
  kPackedArchiveNotRebuilt,  // message box, with the path

  // ---- Error reporting ----
  kOpenWithoutFormat,  // debugger output
  kOpenWithoutVm,      // debugger output
  kMessageBoxCaption,  // the library's message-box caption

  // ---- Input and text utilities ----
  kKeyClearFlagOneWithoutInput,     // debugger output
  kKeyClearFlagNoCtrlWithoutInput,  // debugger output
  kFullWidthDigits,                 // digit d is the two bytes at offset 2 * d
  kFullWidthMinus,
  kFullWidthSpace,
  kCallStackSeparator,  // follows every function name of the call-stack text

  // ---- CG cache and CG sources ----
  kCgCacheAlreadyRegistered,  // message box
  kPackedArchiveFileName,
  kDummyArchiveName,  // name of the stand-in CG archive file
  kDummyFilePrefix,
  kDummyDataFileSuffix,
  kDummyLinkFileSuffix,
  kLooseCgFolder,
  kLooseAlphaFolder,
  kLooseCgPathPrefix,
  kLooseAlphaPathPrefix,
  kLooseCgNameFormat,     // with the CG number and an extension
  kLooseAlphaNameFormat,  // with the CG number
  kExtensionBmp,
  kExtensionJpg,
  kExtensionPng,
  kDirectorySearchPattern,  // appended to a folder to list it
  kPathSeparator,
  kCurrentFolderEntry,
  kParentFolderEntry,

  // ---- Direct3D view, textures and vertex buffer (message boxes) ----
  kD3DViewDrawFailed,
  kD3DViewBuildFailed,
  kBackSceneCreateFailed,
  kD3DDrawFailed,
  kD3DPluginBuildFailed,
  kD3DSpriteCreateFailed,
  kD3DSpriteRebuildFailed,
  kLargeTextureWarning,  // with width and height
  kD3DSpriteTextureFailed,
  kD3DTextureCreateFailed,  // with the texture size
  kD3DTextureLockFailed,    // texture size, then source size
  kVertexBufferCreateFailed,
  kVertexBufferLockFailed,
  kVertexBufferUnlockFailed,

  // ---- Text sprites and the font library ----
  kGothicFaceName,
  kMinchoFaceName,
  kFontLibraryFileName,
  kFontLibraryMagic,  // the file starts with these three bytes and a zero byte

  // ---- Presentation, told at start-up in debug mode (debugger output) ----
  kDirtyRegionsOn,
  kDirtyRegionsOff,

  kCount  // not a text: the number of texts
};

// The NUL-terminated Shift-JIS bytes of a text; an empty text for a value outside the list.
const char* fixedText(FixedText text);

}  // namespace tamblet
