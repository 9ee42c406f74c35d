#include "DefaultFilters.h"

#include "core/platform/Ascii.h"
#include "core/platform/IniImport.h"

#include <iterator>

namespace {

// Accented letters are Windows-1252 bytes. A hex escape is closed by the
// end of its literal wherever a hex digit follows it.
constexpr const char* kSubjectDefaults[] = {
    "let's be friends",
    "KLEZ",
    "APPLICATION NOTE",
    "so cool a",
    "darling",
    "new game",
    "WINXP PATCH",
    "GARDEN OF EDEN",
    "EAGER TO SEE YOU",
    "humour game",
    "RE: APPLICATION",
    "VIRUS ALERT",
    "RE: MOVIE",
    "GOOD TOOL",
    "=?",
    "HONEY",
    "QUESTIONAIRE",
    "SPECIAL NEW",
    "SPECIAL TOOL",
    "W32.ELKERN",
    "details",
    "THAT MOVIE",
    "Thank You!",
    "APPROVED",
    "YOUR APPLICATION",
    "screensaver",
    "VIRUS IN YOUR MAIL",
    "SOBIG",
    "detected",
    "VIRUS FOUND",
    "MAY CONTAIN A VIRUS",
    "Delivery Status Notification",
    "DELIVERY NOTIFICATION",
    "???",
    "INTERSCAN NT ALERT",
    "INTERSCAN EMANAGER",
    "NIKE VIRUSSCAN",
    "RAV ANTIVIRUS",
    "VIRUS INCIDENT",
    "CONTENT VIOLATION",
    "For immediate release",
    "Attention Required",
    "Sample for you",
    "Welcome to my",
    "Don't Be Embarrased",
    "Unable to deliver your message",
    "YOU MAY HAVE A VIRUS",
    "Disallowed attachment type",
    "Virus incident",
    "Failed to clean virus file document",
    "L\xF6west Merch\xE4nt Rat\xEBs \xEDn \xEDndustry",
    "Usted ha enviado un mail posiblemente infectado",
    ("Sua mensagem n\xE3o p\xF4"
     "de ser entregue"),  // split: \xF4d would be one escape
    "failure notice",
    "returned mail",
    "diet",
    "pictures",
    "here is your chance",
    "Earn Income",
    "blocked my email",
    "You sure will want it",
    "Alerta: Virus encontrado",
    "no embarrassment",
    "It's your body",
    "A very  excite game",
    "You blocked my",
    "Weekly video",
    "Please update your email address",
    "Entrega de email para",
    "Sender Virus-alert",
    "now u can afford",
    "Delayed Mail",
    "Attachment block message",
    "Pick a personal",
    "Medical Breakthrough",
    "VIRUS EN SU CORREO",
    "Virus in mail from you",
    "MORTGAGE",
    "BIOGENESIS",
    "lose Some Weight",
    "herb",
    "medication",
    "refill",
    "loss of hair",
    "hair loss",
    "fat",
    "How are you doing",
    "Please look at this",
    "xanax",
    "Meet me tomorrow",
    "Wanna know",
    "Weekly photos",
    "Financiec",
    "Please update your email address",
    "forgot to respond",
    "GOD BLESS YOU",
    "stamina",
    "what I want to know",
    "A D V",
    "pharmac",
    "ATTN Investors",
    "Penny Stock",
    "Strong Buy",
    "Watch this Stock",
};

}  // namespace

const std::vector<std::string>& BuiltInSubjectDefaults()
{
    static const std::vector<std::string> kSubjects(std::begin(kSubjectDefaults), std::end(kSubjectDefaults));
    return kSubjects;
}

const std::vector<std::string>& BuiltInSizeDefaults()
{
    static const std::vector<std::string> kSizes = {
        "113K", "114K", "115K", "125K", "127K", "135K", "136K",
    };
    return kSizes;
}

void AppendBuiltInDefaults(FilterLists& lists)
{
    for (const std::string& entry : BuiltInSubjectDefaults())
        lists.Append(kFilterSubject, FilterEntry{entry, SubjectMatch::kWholeWord, false});
    for (const std::string& entry : BuiltInSizeDefaults())
        lists.Append(kFilterSize, entry);
}

void ParseDefaults(std::istream& in, FilterLists& lists)
{
    TextLineReader reader(in, 999);
    std::string raw;
    bool bHaveTarget = false;
    FilterKind target = kFilterSubject;
    while (reader.Next(raw)) {
        const std::string_view line = platform::TrimSpace(raw);
        // Headers are exact and case-sensitive; anything else, brackets or
        // not, is an entry.
        if (line == "[SIZE]") {
            target = kFilterSize;
            bHaveTarget = true;
        } else if (line == "[SUBJECT EXACT]") {
            target = kFilterSubjectExact;
            bHaveTarget = true;
        } else if (line == "[SUBJECT]") {
            target = kFilterSubject;
            bHaveTarget = true;
        } else if (!line.empty() && bHaveTarget) {
            // An entry longer than a stored value can be would cut the user's
            // list short once saved; it is left out.
            // Subject suggestions are whole words: "fat" must not flag
            // "Father's day".
            const SubjectMatch match = target == kFilterSubject ? SubjectMatch::kWholeWord : SubjectMatch::kContains;
            lists.Append(target, FilterEntry{std::string(line), match, false});
        }
    }
}
