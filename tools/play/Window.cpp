#include "tools/play/Window.h"

#include <SDL.h>

#include <cstdio>

#include "tools/play/PlayerApi.h"

namespace tamblet::play {
namespace {

// 3×5 shapes for the FPS figure, rows top-down.
constexpr const char* kGlyphs[] = {
    "111101101101111", "010110010010111", "111001111100111", "111001111001111", "101101111001001",  // 0-4
    "111100111001111", "111100111101111", "111001010010010", "111101111101111", "111101111001111",  // 5-9
    "000000000000010", "111100110100100", "111101111100100", "111100111001111",                    // . F P S
};

int glyphIndex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c == '.') return 10;
  if (c == 'F') return 11;
  if (c == 'P') return 12;
  if (c == 'S') return 13;
  return -1;
}

void drawText(SDL_Renderer* renderer, const char* text, int left, int top, int scale) {
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, 160);
  SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
  int length = 0;
  while (text[length]) ++length;
  SDL_Rect back{left - scale, top - scale, length * 4 * scale + scale, 7 * scale};
  SDL_RenderFillRect(renderer, &back);
  SDL_SetRenderDrawColor(renderer, 255, 255, 0, 255);
  for (int i = 0; i < length; ++i) {
    const int glyph = glyphIndex(text[i]);
    if (glyph < 0) continue;
    for (int row = 0; row < 5; ++row) {
      for (int column = 0; column < 3; ++column) {
        if (kGlyphs[glyph][row * 3 + column] != '1') continue;
        SDL_Rect dot{left + (i * 4 + column) * scale, top + row * scale, scale, scale};
        SDL_RenderFillRect(renderer, &dot);
      }
    }
  }
}

}  // namespace

struct Window::Parts {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint32_t start = 0;

  ~Parts() {
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
};

std::unique_ptr<Window> Window::open(const std::string& title, std::int32_t width, std::int32_t height,
                                     std::string* why) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    if (why) *why = SDL_GetError();
    return nullptr;
  }
  auto parts = std::make_unique<Parts>();
  parts->width = width;
  parts->height = height;
  parts->window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                   SDL_WINDOW_RESIZABLE);
  if (parts->window) parts->renderer = SDL_CreateRenderer(parts->window, -1, 0);
  if (parts->renderer) {
    SDL_RenderSetLogicalSize(parts->renderer, width, height);  // mouse events arrive in surface pixels
    parts->texture =
        SDL_CreateTexture(parts->renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
  }
  if (!parts->texture) {
    if (why) *why = SDL_GetError();
    return nullptr;
  }
  parts->start = SDL_GetTicks();
  return std::unique_ptr<Window>(new Window(std::move(parts)));
}

Window::Window(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}

Window::~Window() = default;

bool Window::pollEvents(refhost::Host& host) {
  SDL_Event event;
  bool open = true;
  refhost::Input& input = host.kernel().input();
  while (SDL_PollEvent(&event)) {
    switch (event.type) {
      case SDL_QUIT:
        open = false;
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        if (event.key.keysym.sym == SDLK_ESCAPE) open = false;
        const std::int32_t key = virtualKeyOf(event.key.keysym.sym);
        if (key >= 0 && !event.key.repeat) setHostKey(host, key, event.type == SDL_KEYDOWN);
        break;
      }
      case SDL_MOUSEMOTION:
        input.setMousePosition(event.motion.x, event.motion.y);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        input.setMousePosition(event.button.x, event.button.y);
        const std::int32_t key = event.button.button == SDL_BUTTON_LEFT    ? 1
                                 : event.button.button == SDL_BUTTON_RIGHT ? 2
                                 : event.button.button == SDL_BUTTON_MIDDLE ? 4
                                                                            : -1;
        if (key > 0) setHostKey(host, key, event.type == SDL_MOUSEBUTTONDOWN);
        break;
      }
      case SDL_MOUSEWHEEL:
        // Counts add up until the script clears them (Mouse_ClearWheel).
        input.setWheelCounts(input.GetFirstCount() + event.wheel.y, input.GetSecondCount() + event.wheel.x);
        break;
      default:
        break;
    }
  }
  return open;
}

void Window::present(ISurface& surface, float fps) {
  const std::uint8_t* pixels = surface.GetPixelAddress(0, 0);
  if (pixels && surface.GetWidth() == parts_->width && surface.GetHeight() == parts_->height) {
    SDL_UpdateTexture(parts_->texture, nullptr, pixels, surface.GetPitch());  // B, G, R, A bytes = ARGB8888 words
  }
  SDL_SetRenderDrawColor(parts_->renderer, 0, 0, 0, 255);
  SDL_RenderClear(parts_->renderer);
  SDL_RenderCopy(parts_->renderer, parts_->texture, nullptr, nullptr);
  if (fps >= 0.0f) {
    char text[32];
    std::snprintf(text, sizeof(text), "FPS %.1f", static_cast<double>(fps));
    drawText(parts_->renderer, text, 6, 6, 3);
  }
  SDL_RenderPresent(parts_->renderer);
}

std::uint32_t Window::milliseconds() const { return SDL_GetTicks() - parts_->start; }

std::int32_t virtualKeyOf(std::int32_t sdlKey) {
  if (sdlKey >= SDLK_a && sdlKey <= SDLK_z) return 0x41 + (sdlKey - SDLK_a);
  if (sdlKey >= SDLK_0 && sdlKey <= SDLK_9) return 0x30 + (sdlKey - SDLK_0);
  if (sdlKey >= SDLK_F1 && sdlKey <= SDLK_F12) return 0x70 + (sdlKey - SDLK_F1);
  switch (sdlKey) {
    case SDLK_BACKSPACE: return 0x08;
    case SDLK_TAB: return 0x09;
    case SDLK_RETURN: return 0x0D;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return 0x10;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return 0x11;
    case SDLK_LALT:
    case SDLK_RALT: return 0x12;
    case SDLK_ESCAPE: return 0x1B;
    case SDLK_SPACE: return 0x20;
    case SDLK_PAGEUP: return 0x21;
    case SDLK_PAGEDOWN: return 0x22;
    case SDLK_END: return 0x23;
    case SDLK_HOME: return 0x24;
    case SDLK_LEFT: return 0x25;
    case SDLK_UP: return 0x26;
    case SDLK_RIGHT: return 0x27;
    case SDLK_DOWN: return 0x28;
    case SDLK_INSERT: return 0x2D;
    case SDLK_DELETE: return 0x2E;
    default: return -1;
  }
}

}  // namespace tamblet::play
