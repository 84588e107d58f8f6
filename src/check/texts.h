#pragma once
// Texts the check pass writes, as code page 936 bytes.
#include <algorithm>
#include <array>
#include <cstddef>

namespace tq::check {

// The publisher's web address: the completion message names it and the link labels open it.
inline constexpr char kPublisherUrl[] = "https://tessmoorquarvel.example/";

// "----外链存在!√√√\r\n"
inline constexpr char kPresentMarker[] =
    "----\xCD\xE2\xC1\xB4\xB4\xE6\xD4\xDA!\xA1\xCC\xA1\xCC\xA1\xCC\r\n";
// "----外链掉了×××\r\n"
inline constexpr char kGoneMarker[] =
    "----\xCD\xE2\xC1\xB4\xB5\xF4\xC1\xCB\xA1\xC1\xA1\xC1\xA1\xC1\r\n";

namespace detail {

// Joins string literals at compile time, so each piece is written once.
template <std::size_t... Sizes>
constexpr auto joinTexts(const char (&... parts)[Sizes]) {
    std::array<char, (Sizes + ...) - sizeof...(Sizes) + 1> joined{};
    std::size_t at = 0;
    ((std::copy_n(parts, Sizes - 1, joined.begin() + at), at += Sizes - 1), ...);
    return joined;
}

inline constexpr auto kCompletionChars = joinTexts(
    // "所有被监控地址已经全部检测完毕!"
    "\xCB\xF9\xD3\xD0\xB1\xBB\xBC\xE0\xBF\xD8\xB5\xD8\xD6\xB7\xD2\xD1\xBE\xAD\xC8\xAB\xB2\xBF"
    "\xBC\xEC\xB2\xE2\xCD\xEA\xB1\xCF!",
    kPublisherUrl,
    // "感谢您的使用!"
    "\xB8\xD0\xD0\xBB\xC4\xFA\xB5\xC4\xCA\xB9\xD3\xC3!");

}  // namespace detail

// "所有被监控地址已经全部检测完毕!" + publisher address + "感谢您的使用!", no blanks between.
inline constexpr const char* kCompletionMessage = detail::kCompletionChars.data();

// "正在检测请稍等..."
inline constexpr char kProgressRunning[] =
    "\xD5\xFD\xD4\xDA\xBC\xEC\xB2\xE2\xC7\xEB\xC9\xD4\xB5\xC8...";
// "全部被检测地址检测完毕!"
inline constexpr char kProgressDone[] =
    "\xC8\xAB\xB2\xBF\xB1\xBB\xBC\xEC\xB2\xE2\xB5\xD8\xD6\xB7\xBC\xEC\xB2\xE2\xCD\xEA\xB1\xCF!";

}  // namespace tq::check
