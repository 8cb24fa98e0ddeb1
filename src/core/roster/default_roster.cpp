// SPDX-License-Identifier: MIT
// The roster the program falls back on when no roster file is installed.
#include "core/roster/roster.h"

#include "platform/text_encoding.h"

#include <span>

namespace nirdal {

namespace {

constexpr std::string_view kGroupCodes[kGroupCount] = {"251", "252", "253", "254", "255", "256"};

constexpr std::string_view kGroup1[] = {
    "Абрамов А.В.", "Беляев Д.С.", "Власов И.П.",  "Гусев К.А.",   "Данилов М.О.", "Ершов Н.Г.",
    "Жуков П.Е.",   "Зайцев Р.Л.", "Ильин С.Т.",   "Карпов Ю.В.",  "Лебедев А.Н.", "Макаров Б.И.",
    "Носов В.К.",   "Орлов Г.Д.",  "Павлов Е.М.",  "Рябов Ж.С.",   "Седов З.Ф.",   "Титов И.Х.",
    "Уваров К.Ц.",  "Фомин Л.Ч.",  "Хохлов М.Ш.",  "Цветков Н.Щ.", "Чернов О.Э.",  "Шубин П.Ю.",
    "Щукин Р.Я.",   "Юдин С.А.",   "Яковлев Т.Б.", "Агеев У.В.",   "Буров Ф.Г.",   "Волков Х.Д.",
};

constexpr std::string_view kGroup2[] = {
    "Горин А.Е.",   "Дьяков Б.Ж.", "Егоров В.З.",  "Жданов Г.И.",  "Зуев Д.К.",   "Исаев Е.Л.",
    "Кудрин Ж.М.",  "Лапин З.Н.",  "Мухин И.О.",   "Никитин К.П.", "Осипов Л.Р.", "Панов М.С.",
    "Родин Н.Т.",   "Савин О.У.",  "Тарасов П.Ф.", "Ушаков Р.Х.",  "Фролов С.Ц.", "Харин Т.Ч.",
    "Цыганов У.Ш.", "Чижов Ф.Э.",  "Шилов Х.Ю.",   "Яшин Ц.Я.",    "Акимов Ч.А.", "Блинов Ш.Б.",
    "Вавилов Э.В.", "Гуляев Ю.Г.", "Дроздов Я.Д.", "Ефимов А.Е.",
};

constexpr std::string_view kGroup3[] = {
    "Жаров Б.Ж.",   "Зимин В.З.",   "Игнатов Г.И.", "Колесов Д.К.", "Лукин Е.Л.",   "Малахов Ж.М.",
    "Наумов З.Н.",  "Одинцов И.О.", "Петров К.П.",  "Рогов Л.Р.",   "Сорокин М.С.", "Тихонов Н.Т.",
    "Ульянов О.У.", "Федотов П.Ф.", "Хромов Р.Х.",  "Чистов С.Ц.",  "Шаров Т.Ч.",   "Щеглов У.Ш.",
    "Юрьев Ф.Э.",   "Ярцев Х.Ю.",   "Баранов Ц.Я.",
};

constexpr std::string_view kGroup4[] = {
    "Астахов А.Б.", "Бирюков В.Г.", "Веселов Д.Е.", "Грачёв Ж.З.",  "Дорохов И.К.", "Ермаков Л.М.",
    "Жилин Н.О.",   "Зотов П.Р.",   "Исаков С.Т.",  "Кошелев У.Ф.", "Ларин Х.Ц.",   "Миронов Ч.Ш.",
    "Нефёдов Щ.Э.", "Озеров Ю.Я.",  "Пахомов А.В.", "Русаков Г.Д.", "Сомов Е.Ж.",   "Тюрин З.И.",
    "Уткин К.Л.",   "Филатов М.Н.", "Худяков О.П.", "Цапкин Р.С.",  "Чуров Т.У.",   "Шмелёв Ф.Х.",
    "Щедрин Ц.Ч.",  "Юсупов Ш.Э.",  "Ягодин Ю.Я.",  "Кабанов А.Г.",
};

// Groups 1 to 4 hold students, their slots after the last name empty; groups 5 and 6 are
// free throughout.
constexpr std::span<const std::string_view> kStudents[] = {kGroup1, kGroup2, kGroup3, kGroup4};

std::string DefaultSurname(std::size_t group, std::size_t slot)
{
    if (group >= std::size(kStudents))
        return StoredFreeSlotMark();
    const auto names = kStudents[group];
    return slot < names.size() ? Utf8ToCp1251(names[slot]) : std::string();
}

} // namespace

RosterGroups DefaultRoster()
{
    RosterGroups roster{};
    for (std::size_t g = 0; g < roster.size(); ++g) {
        roster[g].GroupName.Assign(kGroupCodes[g]);
        for (std::size_t s = 0; s < roster[g].Surnames.size(); ++s)
            roster[g].Surnames[s].Assign(DefaultSurname(g, s));
    }
    return roster;
}

} // namespace nirdal
