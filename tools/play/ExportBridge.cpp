#include "tools/play/ExportBridge.h"

#include <lua.hpp>

#include <memory>
#include <new>
#include <vector>

#include "refhost/VMString.h"
#include "tools/common/TextCodec.h"
#include "tools/play/ScriptObjects.h"
#include "tools/play/ScriptValues.h"

namespace tamblet::play {

using tools::sjisToUtf8;
using tools::utf8ToSjis;
namespace {

constexpr char kSurfaceType[] = "tamblet.surface";
constexpr std::int64_t kMaxListLength = std::int64_t{1} << 24;

// A surface handed to the script keeps a reference of its own until the value is collected.
struct SurfaceBox {
  ISurface* surface;
};

int surfaceCollect(lua_State* L) {
  auto* box = static_cast<SurfaceBox*>(luaL_checkudata(L, 1, kSurfaceType));
  if (box->surface) box->surface->Release();
  box->surface = nullptr;
  return 0;
}

int surfaceToString(lua_State* L) {
  auto* box = static_cast<SurfaceBox*>(luaL_checkudata(L, 1, kSurfaceType));
  if (!box->surface) {
    lua_pushliteral(L, "surface (released)");
  } else {
    lua_pushfstring(L, "surface %dx%d", static_cast<int>(box->surface->GetWidth()),
                    static_cast<int>(box->surface->GetHeight()));
  }
  return 1;
}

void pushSurface(lua_State* L, ISurface* surface) {
  if (!surface) {
    lua_pushnil(L);
    return;
  }
  auto* box = static_cast<SurfaceBox*>(lua_newuserdatauv(L, sizeof(SurfaceBox), 0));
  box->surface = nullptr;
  luaL_setmetatable(L, kSurfaceType);
  surface->AddRef();
  box->surface = surface;
}

int exportThunk(lua_State* L) {
  auto* bridge = static_cast<ExportBridge*>(lua_touserdata(L, lua_upvalueindex(1)));
  const auto index = static_cast<std::size_t>(lua_tointeger(L, lua_upvalueindex(2)));
  const int results = bridge->callFromLua(L, index);
  if (results < 0) return lua_error(L);
  return results;
}

// Pushes "<where>message" and answers -1, the failure answer of callFromLua.
int fail(lua_State* L, const std::string& message) {
  luaL_where(L, 1);
  lua_pushlstring(L, message.data(), message.size());
  lua_concat(L, 2);
  return -1;
}

int badArgument(lua_State* L, const ExportSignature& signature, int position, ArgKind kind, std::string_view problem) {
  std::string message = "bad argument #" + std::to_string(position) + " to '" + std::string(signature.name) + "' (" +
                        std::string(kindName(kind)) + " expected, " + std::string(problem) + ")";
  return fail(L, message);
}

const char* typeProblem(lua_State* L, int index) {
  switch (lua_type(L, index)) {
    case LUA_TNONE:
    case LUA_TNIL: return "got nil";
    case LUA_TBOOLEAN: return "got a boolean";
    case LUA_TNUMBER: return "got a number";
    case LUA_TSTRING: return "got a string";
    case LUA_TTABLE: return "got a table";
    default: return "got another kind of value";
  }
}

// The script's arguments of the running call as the script wrote them: "1, 12, \"a.png\"".
std::string scriptArguments(lua_State* L) {
  std::string text;
  for (int at = 1, top = lua_gettop(L); at <= top; ++at) {
    if (at > 1) text += ", ";
    switch (lua_type(L, at)) {
      case LUA_TNUMBER:
      case LUA_TBOOLEAN:
      case LUA_TNIL: {
        std::size_t length = 0;
        const char* value = luaL_tolstring(L, at, &length);
        text.append(value, length);
        lua_pop(L, 1);
        break;
      }
      case LUA_TSTRING: text += '"' + std::string(lua_tostring(L, at)) + '"'; break;
      default: text += luaL_typename(L, at); break;
    }
  }
  return text;
}

std::string trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

// What one call holds while it runs: the slots and the objects they point to.
struct CallFrame {
  explicit CallFrame(std::size_t count)
      : slots(count), ints(count, 0), strings(count), texts(count), arrays(count), structs(count), ids(count),
        positions(count, 0) {}

  std::vector<ArgSlot> slots;
  std::vector<std::int32_t> ints;
  std::int32_t* list = nullptr;
  std::vector<std::unique_ptr<refhost::VMString>> strings;
  std::vector<std::string> texts;
  std::vector<std::unique_ptr<refhost::VMArray>> arrays;
  std::vector<std::unique_ptr<refhost::VMStruct>> structs;
  std::vector<InterfaceId> ids;
  std::vector<int> positions;  // the Lua argument of each slot, 0 for those the script does not pass
};

}  // namespace

void ExportBridge::describeCallStack(lua_State* L) {
  // Frame 0 is the innermost Lua function; each frame's function is numbered by its frame and
  // named as Lua names it ("main chunk" for the script itself).
  refhost::CallStack& stack = vm_->callStack();
  std::vector<std::int32_t> frames;
  lua_Debug record;
  for (int level = 1; level < 64 && lua_getstack(L, level, &record); ++level) {
    if (!lua_getinfo(L, "Sn", &record) || std::string_view(record.what) == "C") continue;
    const std::string name = record.name ? record.name : std::string_view(record.what) == "main" ? "main chunk" : "?";
    const auto index = static_cast<std::int32_t>(frames.size());
    stack.setName(index, utf8ToSjis(name).value_or("?"));
    stack.setFunctionNameIndex(index, index);
    frames.push_back(index);
  }
  stack.setFrames(std::move(frames));
}

ISurface* surfaceArgument(lua_State* L, int index) {
  auto* box = static_cast<SurfaceBox*>(luaL_testudata(L, index, kSurfaceType));
  return box ? box->surface : nullptr;
}

ExportBridge::ExportBridge(const EngineLibrary& library, refhost::ScriptVM* vm, IHostKernel* kernel)
    : library_(library), vm_(vm), kernel_(kernel) {
  if (vm_) errorsSeen_ = vm_->errors().size();
}

void ExportBridge::install(lua_State* L) {
  if (luaL_newmetatable(L, kSurfaceType)) {
    lua_pushcfunction(L, surfaceCollect);
    lua_setfield(L, -2, "__gc");
    lua_pushcfunction(L, surfaceToString);
    lua_setfield(L, -2, "__tostring");
  }
  lua_pop(L, 1);
  const auto table = exportTable();
  for (std::size_t i = 0; i < table.size(); ++i) {
    lua_pushlightuserdata(L, this);
    lua_pushinteger(L, static_cast<lua_Integer>(i));
    lua_pushcclosure(L, exportThunk, 2);
    lua_setglobal(L, std::string(table[i].name).c_str());
  }
}

std::optional<CallResult> ExportBridge::callDirect(std::string_view name, std::span<const ArgSlot> args) {
  const ExportSignature* signature = findExport(name);
  if (!signature || args.size() != signature->args.size()) return std::nullopt;
  void* function = library_.function(*signature);
  if (!function) return std::nullopt;
  return signature->invoke(function, args.data());
}

std::string ExportBridge::takeEngineErrors() {
  if (!vm_) return {};
  const auto& errors = vm_->errors();
  if (errors.size() < errorsSeen_) errorsSeen_ = 0;  // the list was cleared
  std::string text;
  for (std::size_t i = errorsSeen_; i < errors.size(); ++i) {
    if (!text.empty()) text += '\n';
    text += trimmed(sjisToUtf8(errors[i]));
  }
  errorsSeen_ = errors.size();
  return text;
}

int ExportBridge::callFromLua(lua_State* L, std::size_t index) noexcept {
  try {
    const auto table = exportTable();
    if (index >= table.size()) return fail(L, "unknown export");
    const ExportSignature& signature = table[index];
    void* function = library_.function(index);
    if (!function) return fail(L, std::string(signature.name) + " is not available in this engine library");
    return call(L, signature, function);
  } catch (const std::bad_alloc&) {
    lua_pushliteral(L, "out of memory");
    return -1;
  } catch (...) {
    lua_pushliteral(L, "unexpected failure in the player");
    return -1;
  }
}

int ExportBridge::call(lua_State* L, const ExportSignature& signature, void* function) {
  const std::size_t count = signature.args.size();
  int expected = 0;
  for (ArgKind kind : signature.args) expected += takesScriptValue(kind) ? 1 : 0;
  const int given = lua_gettop(L);
  if (given > expected) {
    return fail(L, std::string(signature.name) + " takes " + std::to_string(expected) + " argument(s), got " +
                       std::to_string(given));
  }

  CallFrame frame(count);
  int position = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const ArgKind kind = signature.args[i];
    if (takesScriptValue(kind)) frame.positions[i] = ++position;
    const int at = frame.positions[i];
    ArgSlot& slot = frame.slots[i];
    slot.p = nullptr;
    switch (kind) {
      case ArgKind::kInt: {
        const char* problem = "";
        const auto value = readInt32(L, at, &problem);
        if (!value) return badArgument(L, signature, at, kind, problem);
        slot.i = *value;
        break;
      }
      case ArgKind::kBool: {
        if (lua_type(L, at) == LUA_TBOOLEAN) {
          slot.i = lua_toboolean(L, at) ? 1 : 0;
          break;
        }
        const char* problem = "";
        const auto value = readInt32(L, at, &problem);
        if (!value) return badArgument(L, signature, at, kind, problem);
        slot.i = *value != 0 ? 1 : 0;  // the engine reads the low byte: 256 must still be true
        break;
      }
      case ArgKind::kFloat:
        if (lua_type(L, at) != LUA_TNUMBER) return badArgument(L, signature, at, kind, typeProblem(L, at));
        slot.f = static_cast<float>(lua_tonumber(L, at));
        break;
      case ArgKind::kIntOut:
        slot.p = &frame.ints[i];
        break;
      case ArgKind::kIntListOut:
        slot.p = &frame.list;
        break;
      case ArgKind::kString:
      case ArgKind::kStringInOut:
      case ArgKind::kText: {
        if (lua_type(L, at) != LUA_TSTRING) return badArgument(L, signature, at, kind, typeProblem(L, at));
        std::size_t length = 0;
        const char* utf8 = lua_tolstring(L, at, &length);
        auto sjis = utf8ToSjis(std::string_view(utf8, length));
        if (!sjis) return badArgument(L, signature, at, kind, "got a text that is not UTF-8 writable in Shift-JIS");
        if (kind == ArgKind::kText) {
          frame.texts[i] = std::move(*sjis);
          slot.p = frame.texts[i].data();
        } else {
          frame.strings[i] = std::make_unique<refhost::VMString>(std::move(*sjis));
          slot.p = static_cast<IString*>(frame.strings[i].get());
        }
        break;
      }
      case ArgKind::kStringOut:
        frame.strings[i] = std::make_unique<refhost::VMString>();
        slot.p = static_cast<IString*>(frame.strings[i].get());
        break;
      case ArgKind::kArray:
      case ArgKind::kStruct: {
        if (lua_type(L, at) != LUA_TTABLE) return badArgument(L, signature, at, kind, typeProblem(L, at));
        std::string problem;
        if (kind == ArgKind::kArray) {
          frame.arrays[i] = arrayFromTable(L, at, &problem);
          slot.p = static_cast<IVMArray*>(frame.arrays[i].get());
        } else {
          frame.structs[i] = structFromTable(L, at, &problem);
          slot.p = static_cast<IVMStruct*>(frame.structs[i].get());
        }
        if (!slot.p) return badArgument(L, signature, at, kind, problem);
        break;
      }
      case ArgKind::kSurface: {
        if (lua_isnoneornil(L, at)) break;
        auto* box = static_cast<SurfaceBox*>(luaL_testudata(L, at, kSurfaceType));
        if (!box || !box->surface) return badArgument(L, signature, at, kind, typeProblem(L, at));
        slot.p = box->surface;
        break;
      }
      case ArgKind::kInterfaceId: {
        if (lua_type(L, at) != LUA_TSTRING) return badArgument(L, signature, at, kind, typeProblem(L, at));
        const auto id = parseInterfaceId(lua_tostring(L, at));
        if (!id) return badArgument(L, signature, at, kind, "got a text not in the 8-4-4-4-12 form");
        frame.ids[i] = *id;
        slot.p = &frame.ids[i];
        break;
      }
      case ArgKind::kHostKernel:
        slot.p = kernel_;
        break;
    }
  }

  if (vm_ && signature.name == "Debug_GetFuncStack") describeCallStack(L);
  if (watcher_) watcher_->beforeCall();
  const CallResult result = signature.invoke(function, frame.slots.data());

  const std::string engineErrors = takeEngineErrors();
  const auto arguments = [L] { return scriptArguments(L); };
  const std::string watched = watcher_ ? watcher_->afterCall(signature, frame.slots, result, arguments) : std::string();
  if (!engineErrors.empty() || !watched.empty()) {
    if (signature.result == ResultKind::kInterface && result.p) static_cast<IInterface*>(result.p)->Release();
    if (engineErrors.empty()) return fail(L, watched);
    return fail(L, "engine error in " + std::string(signature.name) + ":\n" + engineErrors);
  }

  int pushed = 0;
  switch (signature.result) {
    case ResultKind::kNone: break;
    case ResultKind::kInt: lua_pushinteger(L, result.i), ++pushed; break;
    case ResultKind::kBool: lua_pushboolean(L, result.i != 0), ++pushed; break;
    case ResultKind::kFloat: lua_pushnumber(L, result.f), ++pushed; break;
    case ResultKind::kSurface: pushSurface(L, static_cast<ISurface*>(result.p)), ++pushed; break;
    case ResultKind::kInterface:
      // The script cannot use the object; it learns whether one was handed out.
      if (result.p) static_cast<IInterface*>(result.p)->Release();
      lua_pushboolean(L, result.p != nullptr), ++pushed;
      break;
  }
  for (std::size_t i = 0; i < count; ++i) {
    switch (signature.args[i]) {
      case ArgKind::kIntOut:
        lua_pushinteger(L, frame.ints[i]), ++pushed;
        break;
      case ArgKind::kIntListOut: {
        // The list's length is the int& that follows it.
        std::int64_t length = 0;
        for (std::size_t j = i + 1; j < count; ++j) {
          if (signature.args[j] == ArgKind::kIntOut) {
            length = frame.ints[j];
            break;
          }
        }
        if (!frame.list || length < 0) length = 0;
        if (length > kMaxListLength) length = kMaxListLength;
        lua_createtable(L, static_cast<int>(length), 0);
        for (std::int64_t k = 0; k < length; ++k) {
          lua_pushinteger(L, frame.list[k]);
          lua_rawseti(L, -2, k + 1);
        }
        ++pushed;
        break;
      }
      case ArgKind::kStringOut:
      case ArgKind::kStringInOut: {
        const std::string utf8 = sjisToUtf8(frame.strings[i]->bytes());
        lua_pushlstring(L, utf8.data(), utf8.size()), ++pushed;
        break;
      }
      case ArgKind::kArray:
        arrayToTable(L, frame.positions[i], *frame.arrays[i]);
        break;
      case ArgKind::kStruct:
        structToTable(L, frame.positions[i], *frame.structs[i]);
        break;
      default:
        break;
    }
  }
  return pushed;
}

}  // namespace tamblet::play
