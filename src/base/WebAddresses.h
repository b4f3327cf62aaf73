#pragma once

// Every address the program names, in one place.
namespace orbiplot::Web {

inline constexpr const char* HomePage = "https://orbiplot.example.org/";
inline constexpr const char* Mail = "orbiplot@example.org";
inline constexpr const char* MailLink = "mailto:orbiplot@example.org";
inline constexpr const char* Board = "https://forum.orbiplot.example.org/";
inline constexpr const char* Host = "https://host.example.org/";
inline constexpr const char* News = "https://orbiplot.example.org/news.txt";

} // namespace orbiplot::Web
