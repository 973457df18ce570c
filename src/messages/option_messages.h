#pragma once
// What nuvelo-cli says of a command line it cannot take: an option it does not know, a value it
// does not take, options that exclude each other, arguments missing or too many.

#include <cstddef>
#include <string>

namespace nuvelo {

// The words GNU tools use for options that getopt refuses.
std::string optionTakesNoValueText(const std::string& option);
std::string invalidShortOptionText(char letter);
// `candidates`: the long options the abbreviation fits, each in quotes.
std::string ambiguousOptionText(const std::string& option, const std::string& candidates);
std::string unknownOptionText(const std::string& option);
std::string optionNeedsValueText(const std::string& option);

std::string noCommandText();
std::string unknownCommandText(const std::string& command);
// "--verify は反対の指定と同時に使えません": an option given with its opposite (--no-verify).
std::string oppositeOptionsText(const std::string& option);
// "--since と --compare は同時に指定できません".
std::string exclusiveOptionsText(const std::string& first, const std::string& second);
std::string notADateText(const std::string& value);

// The values an option takes, for a value it does not.
std::string overwriteValuesText();
std::string formatValuesText();
std::string threadsValuesText();
std::string retriesValuesText();
std::string retryWaitValuesText();
std::string linksValuesText();
std::string pruneVersionsValuesText();
std::string linesValuesText();    // log -n N
std::string compareValuesText();  // --compare[=contents]
std::string keepReplacedFolderMissingText();

// Name patterns that cannot name anything: an empty one, one with a "/" (given with
// --exclude-name, or on line `line` of the --exclude-from file `file`), and a file that cannot be
// read, with the reason.
std::string emptyNamePatternText();
std::string slashInNamePatternText(const std::string& pattern);
std::string slashInPatternFileText(const std::string& file, std::size_t line,
                                   const std::string& pattern);
std::string unreadablePatternFileText(const std::string& file, const std::string& reason);

std::string noFileText();
std::string noSourceFolderText();
std::string tooManyArgumentsText(const std::string& argument);
std::string notForVersionsText(const std::string& option);
std::string copyOnlyOptionText(const std::string& option);
std::string searchOnlyOptionText(const std::string& option);

}  // namespace nuvelo
