#pragma once

// The maker's contact block on the "О нас <F1>" page. Everything the maker fills in is here;
// an empty entry is left out of the page.
namespace maker_info {

inline constexpr char Company[] = "";
inline constexpr char Web[] = "";
inline constexpr char Email[] = "";
inline constexpr char Phone[] = "";
inline constexpr char Address[] = "";

// Captions of the entries as the page shows them.
inline constexpr char CompanyCaption[] = "Изготовитель:";
inline constexpr char WebCaption[] = "Сайт:";
inline constexpr char EmailCaption[] = "E-mail:";
inline constexpr char PhoneCaption[] = "Телефон:";
inline constexpr char AddressCaption[] = "Адрес:";

} // namespace maker_info
