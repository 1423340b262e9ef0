#pragma once

namespace tesselka {

inline constexpr const char* ProgramName = "Tesselka";
inline constexpr const char* VersionText = "Version 0.1.18";
// Credit carried in window captions, model headers and map footers.
inline constexpr const char* CreditAuthor = "The Tesselka developers";
inline constexpr const char* CreditContact = "tesselka@users.noreply.example";

} // namespace tesselka
