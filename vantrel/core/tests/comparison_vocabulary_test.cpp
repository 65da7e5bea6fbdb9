// The vocabulary is complete: a kind or property added without one of its spellings fails here,
// before a report, a JSON document, a snapshot or --ignore can miss it.
#include <gtest/gtest.h>

#include <QSet>
#include <QString>

#include "dataaccess/snapshot/snapshot_words.h"
#include "vantrel/core/comparison_vocabulary.h"

namespace vantrel {
namespace {

TEST(ComparisonVocabularyTest, EveryPropertyHasALabelAndItsIgnoreNameLeavesItOut) {
  QSet<int> covered;
  for (const PropertyWords& property : Properties()) {
    EXPECT_STRNE(property.label, "") << static_cast<int>(property.id);
    if (property.ignore_bit == 0) continue;
    covered.insert(property.ignore_bit);
    bool named = false;
    for (const IgnoreName& name : IgnoreNames()) named = named || name.bit == property.ignore_bit;
    EXPECT_TRUE(named) << property.label << " cannot be left out with --ignore";
  }
  QSet<QString> names;
  QSet<int> bits;
  for (const IgnoreName& name : IgnoreNames()) {
    EXPECT_TRUE(covered.contains(name.bit)) << "--ignore " << name.name << " leaves out nothing";
    EXPECT_FALSE(names.contains(QLatin1String(name.name))) << name.name << " twice";
    EXPECT_FALSE(bits.contains(name.bit)) << name.name << " shares its bit with another name";
    names.insert(QLatin1String(name.name));
    bits.insert(name.bit);
  }
}

// A label names one property, except where one report word has always meant two things of two
// kinds of object ("On Update": a column's ON UPDATE, a foreign key's action).
TEST(ComparisonVocabularyTest, LabelsAreOnePropertyEach) {
  QSet<QString> labels;
  for (const PropertyWords& property : Properties()) {
    const QString label = QLatin1String(property.label);
    if (property.id != PropertyId::kOnUpdate) {
      EXPECT_FALSE(labels.contains(label)) << property.label << " labels two properties";
    }
    labels.insert(label);
  }
}

TEST(ComparisonVocabularyTest, EveryKindIsChosenByOneWordAndSnapshotsKeepIt) {
  QSet<QString> options;
  int all = 0;
  for (const ComparedKindWords& kind : ComparedKinds()) {
    EXPECT_FALSE(options.contains(QLatin1String(kind.option))) << kind.option << " twice";
    options.insert(QLatin1String(kind.option));
    EXPECT_EQ(ComparedKindOfOption(QLatin1String(kind.option)), kind.kind) << kind.option;
    EXPECT_EQ(all & kind.kind, 0) << kind.option << " shares a bit";
    all |= kind.kind;
    if (kind.kind == kCompareFields) continue;
    EXPECT_TRUE(kind.not_told.has_value())
        << kind.option << " has no words for a side that lacks it";
    bool kept = false;
    for (const dataaccess::ObjectKindWord& word : dataaccess::kObjectKindWords) {
      kept = kept || word.kind == kind.kind;
    }
    EXPECT_TRUE(kept) << kind.option << " has no word in snapshots";
  }
  EXPECT_EQ(all, kCompareAll) << "a ComparedKind bit has no --objects word";
  EXPECT_EQ(ComparedKindOfOption(QStringLiteral("all")), kCompareAll);
  EXPECT_EQ(ComparedKindOfOption(QStringLiteral("primary-keys")), std::nullopt);
}

TEST(ComparisonVocabularyTest, EveryGapHasWordsOfItsOwn) {
  QSet<QString> words;
  for (int id = 0; id <= static_cast<int>(NotComparedId::kTriggerBodies); ++id) {
    const QString said = WordsOf(static_cast<NotComparedId>(id));
    EXPECT_FALSE(said.isEmpty()) << id;
    EXPECT_FALSE(words.contains(said)) << said.toStdString() << " twice";
    words.insert(said);
  }
}

TEST(ComparisonVocabularyTest, EveryObjectKindHasItsWordsAndIsAskedForByAChoice) {
  QSet<QString> labels;
  QSet<QString> json;
  for (const ObjectKindWords& kind : ObjectKinds()) {
    EXPECT_EQ(&WordsOf(kind.id), &kind);
    EXPECT_FALSE(labels.contains(QLatin1String(kind.label))) << kind.label << " twice";
    EXPECT_FALSE(json.contains(QLatin1String(kind.json))) << kind.json << " twice";
    labels.insert(QLatin1String(kind.label));
    json.insert(QLatin1String(kind.json));
    bool asked = false;
    for (const ComparedKindWords& choice : ComparedKinds())
      asked = asked || choice.kind == kind.compared;
    EXPECT_TRUE(asked) << kind.json << " is compared by no --objects choice";
  }
}

}  // namespace
}  // namespace vantrel
