// Stands in for a folder that has no sources yet, so that its library can exist.
namespace {
[[maybe_unused]] int keyfallEmptyTranslationUnit;
}
