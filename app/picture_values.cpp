#include "app/picture_values.h"

#include <algorithm>

#include "compose/amount_text.h"
#include "compose/gbk_text.h"

std::optional<PictureValues> PictureValuesFrom(const std::vector<std::optional<std::string>>& utf8,
                                               AmountTexts amounts, std::string& error) {
  PictureValues values;
  const auto fields = values.typed.Screen().fields;
  for (std::size_t f = 0; f < fields.size() && f < utf8.size(); ++f) {
    if (!utf8[f]) continue;
    std::string gbk = Utf8ToGbk(*utf8[f]);
    const auto& words = fields[f].words;
    if (!words.empty() && std::find(words.begin(), words.end(), gbk) == words.end()) {
      std::string allowed;
      for (std::string_view word : words) allowed += (allowed.empty() ? "" : ", ") + GbkToUtf8(word);
      error = std::string(fields[f].name) + " must be one of " + allowed + ", not \"" + *utf8[f] + "\"";
      return std::nullopt;
    }
    values.typed.Set(f, std::move(gbk));
  }
  values.drawn = NormaliseScreenInputs(values.typed, amounts);
  if (amounts == AmountTexts::kNormalised) {
    for (std::size_t f = 0; f < fields.size(); ++f) {
      if (fields[f].kind != FieldKind::kAmount || AmountReadsWhole(values.typed.Text(f))) continue;
      values.unreadAmounts.push_back(std::string(fields[f].name) + ": \"" +
                                     GbkToUtf8(values.typed.Text(f)) +
                                     "\" is not read whole as a number; drawn as " +
                                     GbkToUtf8(values.drawn.Text(f)));
    }
  }
  return values;
}

std::vector<std::string> Utf8Texts(const ScreenInputs& inputs) {
  std::vector<std::string> texts;
  for (const std::string& text : inputs.Texts()) texts.push_back(GbkToUtf8(text));
  return texts;
}
