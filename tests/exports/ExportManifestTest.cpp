// The shared library's dynamic symbol table holds exactly the engine's exports, each
// under its exact name, and nothing else (no C++ symbols leak out of it).
#include <elf.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "EngineLibrary.h"

namespace {

// Every export of the library, separated by spaces.
const char kExportNames[] =
    "GetInterface Error GetScreenWidth GetScreenHeight SP_Create SP_CreatePixelOnly SP_CreateCopy SP_CreateCustom "
    "SP_Delete SP_DeleteAll SP_SetPos SP_SetX SP_SetY SP_SetZ SP_SetBlendRate SP_SetBrightness SP_SetMultipleColor "
    "SP_SetAddColor SP_SetShow SP_SetDrawMethod SP_SetSurfaceArea SP_GetSurfaceArea SP_SetSpriteTransformMode "
    "SP_SetSpriteTransformPos Sprite_SetTextureFilerType SP_SetAlphaClipperSpriteNumber SP_Suspend SP_Resume "
    "SP_IsUsing SP_ExistAlpha SP_GetPosX SP_GetPosY SP_GetZ SP_GetWidth SP_GetHeight SP_GetBlendRate "
    "SP_GetBrightness SP_GetDrawMethod SP_GetShow SP_IsSuspend Sprite_GetTextureFilterType "
    "SP_GetAlphaClipperSpriteNumber Sprite_GetWritableSurface Sprite_SetSurface Sprite_GetConstSurface "
    "Debug_GetSpriteSurface SP_Count SP_Enum SP_GetUnuseNum SP_GetMaxZ Debug_GetSpriteNumberList SP_IsPtIn "
    "SP_IsPtInRect SP_GetAMapValue SP_GetPixelValue SP_SetCG SP_SetCutCG SP_SetCGFromFile SP_SaveCG CG_IsExist "
    "CG_GetMetrics CG_GetFormat CG_BlendAMapBin CG_RotateRGB Key_ClearFlag Key_ClearFlagOne Key_ClearFlagNoCtrl "
    "Key_IsDown KEY_GetState Mouse_GetPos Mouse_ClearWheel Mouse_GetWheel Timer_Get System_GetDate System_GetTime "
    "IntToZenkaku IntToHankaku StringPopFront GAME_MSG_GetNumof GAME_MSG_Get SYSTEM_IsResetOnce "
    "SYSTEM_SetConfigOverFrameRateSleep SYSTEM_GetConfigOverFrameRateSleep SYSTEM_SetConfigSleepByInactiveWindow "
    "SYSTEM_GetConfigSleepByInactiveWindow SYSTEM_SetReadMessageSkipping SYSTEM_GetReadMessageSkipping "
    "SYSTEM_SetConfigFrameSkipWhileMessageSkip SYSTEM_GetConfigFrameSkipWhileMessageSkip "
    "SYSTEM_SetInvalidateFrameSkipWhileMessageSkip SYSTEM_GetInvalidateFrameSkipWhileMessageSkip "
    "Debug_GetCurrentAllocatedMemorySize Debug_GetMaxAllocatedMemorySize Debug_GetVideoMemoryInfo Debug_Pause "
    "Debug_GetFuncStack SP_RenderView Init Update TRANS_Begin TRANS_Update TRANS_End FPS_Get FPS_SetShow "
    "FPS_GetShow Debug_GetFillRate VIEW_SetMode VIEW_GetMode VIEW_SetOffsetPos KeepPreviousView_SetMode "
    "KeepPreviousView_GetMode DX_SetUsePower2Texture DX_GetUsePower2Texture SP_SetTextSprite SP_SetDashTextSprite "
    "SP_SetTextSpriteType SP_SetTextSpriteSize SP_SetTextSpriteColor SP_SetTextSpriteBoldWeight "
    "SP_SetTextSpriteEdgeWeight SP_SetTextSpriteEdgeColor SP_GetFontDescent SP_GetFontWidth "
    "CharSpriteManager_CreateHandle CharSpriteManager_ReleaseHandle CharSpriteManager_Clear "
    "CharSpriteManager_Rebuild CharSpriteManager_Save CharSpriteManager_Load CharSprite_Release CharSprite_SetChar "
    "CharSprite_SetCharDirect CharSprite_SetPos CharSprite_SetZ CharSprite_SetAlphaRate CharSprite_SetShow "
    "CharSprite_GetChar CharSprite_GetAlphaRate";

std::set<std::string> expectedExports() {
  std::istringstream words(kExportNames);
  return {std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()};
}

std::set<std::string> definedDynamicSymbols(const char* path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<char> image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::set<std::string> names;
  if (image.size() < sizeof(Elf64_Ehdr)) return names;
  const auto* header = reinterpret_cast<const Elf64_Ehdr*>(image.data());
  const auto* sections = reinterpret_cast<const Elf64_Shdr*>(image.data() + header->e_shoff);
  for (int i = 0; i < header->e_shnum; ++i) {
    if (sections[i].sh_type != SHT_DYNSYM) continue;
    const Elf64_Shdr& strings = sections[sections[i].sh_link];
    const auto* symbols = reinterpret_cast<const Elf64_Sym*>(image.data() + sections[i].sh_offset);
    for (std::size_t s = 1; s < sections[i].sh_size / sizeof(Elf64_Sym); ++s) {
      const unsigned char binding = ELF64_ST_BIND(symbols[s].st_info);
      if (symbols[s].st_shndx == SHN_UNDEF || (binding != STB_GLOBAL && binding != STB_WEAK)) continue;
      names.insert(image.data() + strings.sh_offset + symbols[s].st_name);
    }
  }
  return names;
}

TEST(ExportManifest, SymbolTableHoldsExactlyTheExportsAndEachResolvesByItsExactName) {
  const std::set<std::string> expected = expectedExports();
  EXPECT_EQ(definedDynamicSymbols(TAMBLET_ENGINE_LIBRARY), expected);
  tamblet::testing::EngineLibrary library;
  for (const std::string& name : expected) EXPECT_NE(library.find<void>(name.c_str()), nullptr) << name;
  EXPECT_EQ(library.find<void>("getInterface"), nullptr);
}

}  // namespace
