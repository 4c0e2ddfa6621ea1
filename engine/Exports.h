// Declarations of the library's exported C calls, grouped by family. The definitions check
// their arguments and forward to the engine object; engine/exports.map lists the same names.
#pragma once

#include <cstdint>

#include "engine/ExportSupport.h"
#include "host/EngineObjects.h"
#include "host/VM.h"

// ---- Engine ----
TAMBLET_EXPORT tamblet::IInterface* GetInterface(const tamblet::InterfaceId* id);
TAMBLET_EXPORT void Error(tamblet::IString* text);
TAMBLET_EXPORT std::int32_t GetScreenWidth();
TAMBLET_EXPORT std::int32_t GetScreenHeight();

// ---- Sprites ----
TAMBLET_EXPORT std::int32_t SP_Create(std::int32_t nSP, std::int32_t nWidth, std::int32_t nHeight, std::int32_t r, std::int32_t g, std::int32_t b, std::int32_t blend);
TAMBLET_EXPORT std::int32_t SP_CreatePixelOnly(std::int32_t nSP, std::int32_t nWidth, std::int32_t nHeight);
TAMBLET_EXPORT std::int32_t SP_CreateCopy(std::int32_t nDest, std::int32_t nSrc);
TAMBLET_EXPORT std::int32_t SP_CreateCustom(std::int32_t nSP);
TAMBLET_EXPORT std::int32_t SP_Delete(std::int32_t nSP);
TAMBLET_EXPORT std::int32_t SP_DeleteAll();
TAMBLET_EXPORT std::int32_t SP_SetPos(std::int32_t nSP, std::int32_t x, std::int32_t y);
TAMBLET_EXPORT std::int32_t SP_SetX(std::int32_t nSP, std::int32_t nX);
TAMBLET_EXPORT std::int32_t SP_SetY(std::int32_t nSP, std::int32_t nY);
TAMBLET_EXPORT std::int32_t SP_SetZ(std::int32_t nSP, std::int32_t nZ);
TAMBLET_EXPORT std::int32_t SP_SetBlendRate(std::int32_t nSP, std::int32_t rate);
TAMBLET_EXPORT std::int32_t SP_SetBrightness(std::int32_t nSP, std::int32_t value);
TAMBLET_EXPORT std::int32_t SP_SetMultipleColor(std::int32_t nSP, std::int32_t r, std::int32_t g, std::int32_t b);
TAMBLET_EXPORT std::int32_t SP_SetAddColor(std::int32_t nSP, std::int32_t r, std::int32_t g, std::int32_t b, std::int32_t a);
TAMBLET_EXPORT std::int32_t SP_SetShow(std::int32_t nSP, std::int32_t bShow);
TAMBLET_EXPORT std::int32_t SP_SetDrawMethod(std::int32_t nSP, std::int32_t nMethod);
TAMBLET_EXPORT std::int32_t SP_SetSurfaceArea(std::int32_t nSP, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
TAMBLET_EXPORT std::int32_t SP_GetSurfaceArea(std::int32_t nSP, std::int32_t* x, std::int32_t* y, std::int32_t* width, std::int32_t* height);
TAMBLET_EXPORT std::int32_t SP_SetSpriteTransformMode(std::int32_t nSP, std::int32_t mode);
TAMBLET_EXPORT std::int32_t SP_SetSpriteTransformPos(std::int32_t nSP, float x0, float y0, float z0, float w0, float u0, float v0, float x1, float y1, float z1, float w1, float u1, float v1, float x2, float y2, float z2, float w2, float u2, float v2, float x3, float y3, float z3, float w3, float u3, float v3);
TAMBLET_EXPORT std::int32_t Sprite_SetTextureFilerType(std::int32_t nSP, std::int32_t type);
TAMBLET_EXPORT std::int32_t SP_SetAlphaClipperSpriteNumber(std::int32_t nSP, std::int32_t nClipSP);
TAMBLET_EXPORT std::int32_t SP_Suspend(std::int32_t nSP);
TAMBLET_EXPORT std::int32_t SP_Resume(std::int32_t nSP);
TAMBLET_EXPORT std::int32_t SP_IsUsing(std::int32_t nSP);
TAMBLET_EXPORT std::int32_t SP_ExistAlpha(std::int32_t nSP);
TAMBLET_EXPORT std::int32_t SP_GetPosX(std::int32_t nSP);
TAMBLET_EXPORT std::int32_t SP_GetPosY(std::int32_t nSP);
TAMBLET_EXPORT std::int32_t SP_GetZ(std::int32_t nSP);
TAMBLET_EXPORT std::int32_t SP_GetWidth(std::int32_t nSP);
TAMBLET_EXPORT std::int32_t SP_GetHeight(std::int32_t nSP);
TAMBLET_EXPORT std::int32_t SP_GetBlendRate(std::int32_t nSP);
TAMBLET_EXPORT std::int32_t SP_GetBrightness(std::int32_t nSP);
TAMBLET_EXPORT std::int32_t SP_GetDrawMethod(std::int32_t nSP);
TAMBLET_EXPORT std::int32_t SP_GetShow(std::int32_t nSP);
TAMBLET_EXPORT std::int32_t SP_IsSuspend(std::int32_t nSP);
TAMBLET_EXPORT std::int32_t Sprite_GetTextureFilterType(std::int32_t nSP);
TAMBLET_EXPORT std::int32_t SP_GetAlphaClipperSpriteNumber(std::int32_t nSP);
TAMBLET_EXPORT tamblet::ISurface* Sprite_GetWritableSurface(std::int32_t nSP);
TAMBLET_EXPORT std::int32_t Sprite_SetSurface(std::int32_t nSP, tamblet::ISurface* surface);
TAMBLET_EXPORT tamblet::ISurface* Sprite_GetConstSurface(std::int32_t nSP);
TAMBLET_EXPORT tamblet::ISurface* Debug_GetSpriteSurface(std::int32_t nSP);
TAMBLET_EXPORT std::int32_t SP_Count();
TAMBLET_EXPORT std::int32_t SP_Enum(tamblet::IVMArray* array);
TAMBLET_EXPORT std::int32_t SP_GetUnuseNum(std::int32_t nMin);
TAMBLET_EXPORT std::int32_t SP_GetMaxZ();
TAMBLET_EXPORT std::int32_t Debug_GetSpriteNumberList(std::int32_t** list, std::int32_t* count);
TAMBLET_EXPORT std::int32_t SP_IsPtIn(std::int32_t nSP, std::int32_t x, std::int32_t y);
TAMBLET_EXPORT std::int32_t SP_IsPtInRect(std::int32_t nSP, std::int32_t x, std::int32_t y);
TAMBLET_EXPORT std::int32_t SP_GetAMapValue(std::int32_t nSP, std::int32_t x, std::int32_t y);
TAMBLET_EXPORT std::int32_t SP_GetPixelValue(std::int32_t nSP, std::int32_t x, std::int32_t y, std::int32_t* r, std::int32_t* g, std::int32_t* b);

// ---- Images ----
TAMBLET_EXPORT std::int32_t SP_SetCG(std::int32_t nSP, std::int32_t nCG);
TAMBLET_EXPORT std::int32_t SP_SetCutCG(std::int32_t nSP, std::int32_t nCG, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
TAMBLET_EXPORT std::int32_t SP_SetCGFromFile(std::int32_t nSP, tamblet::IString* fileName);
TAMBLET_EXPORT std::int32_t SP_SaveCG(std::int32_t nSP, tamblet::IString* fileName);
TAMBLET_EXPORT std::int32_t CG_IsExist(std::int32_t nCG);
TAMBLET_EXPORT std::int32_t CG_GetMetrics(std::int32_t nCG, tamblet::IVMStruct* metrics);
TAMBLET_EXPORT std::int32_t CG_GetFormat(std::int32_t nCG);
// Neither utility has a defined result; both answer 1 when they changed pixels, else 0.
TAMBLET_EXPORT std::int32_t CG_BlendAMapBin(std::int32_t nDestSP, std::int32_t dx, std::int32_t dy, std::int32_t nSrcSP, std::int32_t sx, std::int32_t sy, std::int32_t width, std::int32_t height, std::int32_t threshold);
TAMBLET_EXPORT std::int32_t CG_RotateRGB(std::int32_t nSP, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, std::int32_t turns);

// ---- Input, time and text ----
TAMBLET_EXPORT std::int32_t Key_ClearFlag();
TAMBLET_EXPORT std::int32_t Key_ClearFlagOne(std::int32_t key);
TAMBLET_EXPORT std::int32_t Key_ClearFlagNoCtrl();
TAMBLET_EXPORT std::int32_t Key_IsDown(std::int32_t key);
TAMBLET_EXPORT std::int32_t KEY_GetState(std::int32_t key);
TAMBLET_EXPORT std::int32_t Mouse_GetPos(std::int32_t* x, std::int32_t* y);
TAMBLET_EXPORT void Mouse_ClearWheel();
TAMBLET_EXPORT void Mouse_GetWheel(std::int32_t* first, std::int32_t* second);
TAMBLET_EXPORT std::int32_t Timer_Get();
TAMBLET_EXPORT void System_GetDate(std::int32_t* year, std::int32_t* month, std::int32_t* day, std::int32_t* dayOfWeek);
TAMBLET_EXPORT void System_GetTime(std::int32_t* hour, std::int32_t* minute, std::int32_t* second, std::int32_t* millisecond);
TAMBLET_EXPORT void IntToZenkaku(tamblet::IString* out, std::int32_t value, std::int32_t width, std::int32_t zeroPadding);
TAMBLET_EXPORT void IntToHankaku(tamblet::IString* out, std::int32_t value, std::int32_t width, std::int32_t zeroPadding);
TAMBLET_EXPORT std::int32_t StringPopFront(tamblet::IString* out, tamblet::IString* source);
TAMBLET_EXPORT std::int32_t GAME_MSG_GetNumof();
TAMBLET_EXPORT void GAME_MSG_Get(std::int32_t index, tamblet::IString* out);

// ---- System switches and diagnostics ----
TAMBLET_EXPORT std::int32_t SYSTEM_IsResetOnce();
TAMBLET_EXPORT void SYSTEM_SetConfigOverFrameRateSleep(std::int32_t on);
TAMBLET_EXPORT std::int32_t SYSTEM_GetConfigOverFrameRateSleep();
TAMBLET_EXPORT void SYSTEM_SetConfigSleepByInactiveWindow(std::int32_t on);
TAMBLET_EXPORT std::int32_t SYSTEM_GetConfigSleepByInactiveWindow();
TAMBLET_EXPORT void SYSTEM_SetReadMessageSkipping(std::int32_t on);
TAMBLET_EXPORT std::int32_t SYSTEM_GetReadMessageSkipping();
TAMBLET_EXPORT void SYSTEM_SetConfigFrameSkipWhileMessageSkip(std::int32_t on);
TAMBLET_EXPORT std::int32_t SYSTEM_GetConfigFrameSkipWhileMessageSkip();
TAMBLET_EXPORT void SYSTEM_SetInvalidateFrameSkipWhileMessageSkip(std::int32_t on);
TAMBLET_EXPORT std::int32_t SYSTEM_GetInvalidateFrameSkipWhileMessageSkip();
TAMBLET_EXPORT std::int32_t Debug_GetCurrentAllocatedMemorySize();
TAMBLET_EXPORT std::int32_t Debug_GetMaxAllocatedMemorySize();
TAMBLET_EXPORT std::int32_t Debug_GetVideoMemoryInfo(std::int32_t* total, std::int32_t* used, std::int32_t* peakUsed);
TAMBLET_EXPORT void Debug_Pause();
TAMBLET_EXPORT void Debug_GetFuncStack(tamblet::IString* out, std::int32_t depth);

// ---- Text sprites and font metrics ----
TAMBLET_EXPORT std::int32_t SP_SetTextSprite(std::int32_t nSP, tamblet::IString* text);
TAMBLET_EXPORT std::int32_t SP_SetDashTextSprite(std::int32_t nSP, std::int32_t width, std::int32_t height);
TAMBLET_EXPORT void SP_SetTextSpriteType(std::int32_t type);
TAMBLET_EXPORT void SP_SetTextSpriteSize(std::int32_t size);
TAMBLET_EXPORT void SP_SetTextSpriteColor(std::int32_t r, std::int32_t g, std::int32_t b);
TAMBLET_EXPORT void SP_SetTextSpriteBoldWeight(float weight);
TAMBLET_EXPORT void SP_SetTextSpriteEdgeWeight(float weight);
TAMBLET_EXPORT void SP_SetTextSpriteEdgeColor(std::int32_t r, std::int32_t g, std::int32_t b);
TAMBLET_EXPORT std::int32_t SP_GetFontDescent(std::int32_t* out);
TAMBLET_EXPORT std::int32_t SP_GetFontWidth(tamblet::IString* text, std::int32_t* out);

// ---- Character sprites ----
TAMBLET_EXPORT std::int32_t CharSpriteManager_CreateHandle();
TAMBLET_EXPORT std::int32_t CharSpriteManager_ReleaseHandle(std::int32_t handle);
TAMBLET_EXPORT void CharSpriteManager_Clear();
TAMBLET_EXPORT void CharSpriteManager_Rebuild();
TAMBLET_EXPORT std::int32_t CharSpriteManager_Save(tamblet::IVMArray* out);
TAMBLET_EXPORT std::int32_t CharSpriteManager_Load(tamblet::IVMArray* in);
TAMBLET_EXPORT void CharSprite_Release(std::int32_t handle);
TAMBLET_EXPORT void CharSprite_SetChar(std::int32_t handle, tamblet::IString* text, tamblet::IVMStruct* style);
TAMBLET_EXPORT void CharSprite_SetCharDirect(std::int32_t handle, const char* text, std::int32_t type,
                                             std::int32_t size, std::int32_t r, std::int32_t g, std::int32_t b,
                                             float boldWeight, float edgeWeight, std::int32_t edgeR,
                                             std::int32_t edgeG, std::int32_t edgeB);
TAMBLET_EXPORT void CharSprite_SetPos(std::int32_t handle, std::int32_t x, std::int32_t y);
TAMBLET_EXPORT void CharSprite_SetZ(std::int32_t handle, std::int32_t z);
TAMBLET_EXPORT void CharSprite_SetAlphaRate(std::int32_t handle, std::int32_t rate);
TAMBLET_EXPORT void CharSprite_SetShow(std::int32_t handle, std::int32_t show);
TAMBLET_EXPORT void CharSprite_GetChar(std::int32_t handle, tamblet::IString* out);
TAMBLET_EXPORT std::int32_t CharSprite_GetAlphaRate(std::int32_t handle);

// ---- Compositor ----
TAMBLET_EXPORT std::int32_t SP_RenderView(std::int32_t nSP);

// ---- Start-up, frames, view and transitions ----
TAMBLET_EXPORT std::int32_t Init(tamblet::IHostKernel* host, std::int32_t cacheMiB);
TAMBLET_EXPORT std::int32_t Update();
TAMBLET_EXPORT std::int32_t TRANS_Begin(std::int32_t type);
TAMBLET_EXPORT std::int32_t TRANS_Update(float rate);
TAMBLET_EXPORT std::int32_t TRANS_End();
TAMBLET_EXPORT float FPS_Get();
TAMBLET_EXPORT void FPS_SetShow(std::int32_t show);
TAMBLET_EXPORT std::int32_t FPS_GetShow();
TAMBLET_EXPORT std::int32_t Debug_GetFillRate();
TAMBLET_EXPORT std::int32_t VIEW_SetMode(std::int32_t mode);
TAMBLET_EXPORT std::int32_t VIEW_GetMode();
TAMBLET_EXPORT void VIEW_SetOffsetPos(std::int32_t x, std::int32_t y);
TAMBLET_EXPORT std::int32_t KeepPreviousView_SetMode(std::int32_t keep);
TAMBLET_EXPORT std::int32_t KeepPreviousView_GetMode();
TAMBLET_EXPORT void DX_SetUsePower2Texture(std::int32_t use);
TAMBLET_EXPORT std::int32_t DX_GetUsePower2Texture();
