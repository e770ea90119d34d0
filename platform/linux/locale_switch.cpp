#include "platform/locale_switch.h"

#include <clocale>

namespace platform {

namespace {

struct LocaleAlias {
    const char* windowsName;
    const char* posixName;
};

// Windows abbreviated language names and the POSIX locale of the same language and country.
constexpr LocaleAlias kAliases[] = {
    {"afk", "af_ZA"},       {"sqi", "sq_AL"},  {"gsw", "gsw_FR"}, {"amh", "am_ET"},
    {"ara", "ar_SA"},       {"arg", "ar_DZ"},  {"arh", "ar_BH"},  {"are", "ar_EG"},
    {"ari", "ar_IQ"},       {"arj", "ar_JO"},  {"ark", "ar_KW"},  {"arb", "ar_LB"},
    {"arl", "ar_LY"},       {"arm", "ar_MA"},  {"aro", "ar_OM"},  {"arq", "ar_QA"},
    {"ars", "ar_SY"},       {"art", "ar_TN"},  {"aru", "ar_AE"},  {"ary", "ar_YE"},
    {"hye", "hy_AM"},       {"asm", "as_IN"},  {"aze", "az_AZ"},  {"bas", "ba_RU"},
    {"euq", "eu_ES"},       {"bel", "be_BY"},  {"bng", "bn_BD"},  {"bsc", "bs_BA"},
    {"bsb", "bs_BA"},       {"bre", "br_FR"},  {"bgr", "bg_BG"},  {"cat", "ca_ES"},
    {"zhh", "zh_HK"},       {"zhm", "zh_HK"},  {"chs", "zh_CN"},  {"zhi", "zh_SG"},
    {"cht", "zh_TW"},       {"hrv", "hr_HR"},  {"hrb", "hr_HR"},  {"csy", "cs_CZ"},
    {"dan", "da_DK"},       {"div", "dv_MV"},  {"nld", "nl_NL"},  {"nlb", "nl_BE"},
    {"enu", "en_US"},       {"ena", "en_AU"},  {"enl", "en_US"},  {"enc", "en_CA"},
    {"enb", "en_AG"},       {"enn", "en_IN"},  {"eni", "en_IE"},  {"enj", "en_US"},
    {"enm", "en_US"},       {"enz", "en_NZ"},  {"enp", "en_PH"},  {"ene", "en_SG"},
    {"ens", "en_ZA"},       {"ent", "en_US"},  {"eng", "en_GB"},  {"enw", "en_ZW"},
    {"eti", "et_EE"},       {"fos", "fo_FO"},  {"fpo", "fil_PH"}, {"fin", "fi_FI"},
    {"fra", "fr_FR"},       {"frb", "fr_BE"},  {"frc", "fr_CA"},  {"frl", "fr_LU"},
    {"frm", "fr_FR"},       {"frs", "fr_CH"},  {"fyn", "fy_NL"},  {"glc", "gl_ES"},
    {"kat", "ka_GE"},       {"deu", "de_DE"},  {"dea", "de_AT"},  {"dec", "de_LI"},
    {"del", "de_LU"},       {"des", "de_CH"},  {"ell", "el_GR"},  {"kal", "kl_GL"},
    {"guj", "gu_IN"},       {"hau", "ha_NG"},  {"heb", "he_IL"},  {"hin", "hi_IN"},
    {"hun", "hu_HU"},       {"isl", "is_IS"},  {"ibo", "ig_NG"},  {"ind", "id_ID"},
    {"iuk", "iu_CA"},       {"ius", "iu_CA"},  {"ire", "ga_IE"},  {"xho", "xh_ZA"},
    {"zul", "zu_ZA"},       {"ita", "it_IT"},  {"its", "it_CH"},  {"jpn", "ja_JP"},
    {"kdi", "kn_IN"},       {"kkz", "kk_KZ"},  {"khm", "km_KH"},  {"kin", "rw_RW"},
    {"swk", "sw_KE"},       {"knk", "kok_IN"}, {"kor", "ko_KR"},  {"kyr", "ky_KG"},
    {"lao", "lo_LA"},       {"lvi", "lv_LV"},  {"lth", "lt_LT"},  {"dsb", "dsb_DE"},
    {"lbx", "lb_LU"},       {"mki", "mk_MK"},  {"msl", "ms_MY"},  {"msb", "ms_MY"},
    {"mym", "ml_IN"},       {"mlt", "mt_MT"},  {"mri", "mi_NZ"},  {"mar", "mr_IN"},
    {"mon", "mn_MN"},       {"mng", "mn_MN"},  {"nep", "ne_NP"},  {"nor", "nb_NO"},
    {"non", "nn_NO"},       {"oci", "oc_FR"},  {"ori", "or_IN"},  {"pas", "ps_AF"},
    {"far", "fa_IR"},       {"plk", "pl_PL"},  {"ptb", "pt_BR"},  {"ptg", "pt_PT"},
    {"pan", "pa_IN"},       {"qub", "quz_PE"}, {"que", "quz_PE"}, {"qup", "quz_PE"},
    {"rom", "ro_RO"},       {"rmc", "rm_CH"},  {"rus", "ru_RU"},  {"smn", "se_FI"},
    {"smj", "se_NO"},       {"smk", "se_SE"},  {"smg", "se_FI"},  {"sme", "se_NO"},
    {"smf", "se_SE"},       {"sms", "se_FI"},  {"sma", "se_NO"},  {"smb", "se_SE"},
    {"san", "sa_IN"},       {"srb", "sr_RS"},  {"srn", "sr_RS"},  {"srs", "sr_RS@latin"},
    {"srl", "sr_RS@latin"}, {"nso", "nso_ZA"}, {"tsn", "tn_ZA"},  {"sin", "si_LK"},
    {"sky", "sk_SK"},       {"slv", "sl_SI"},  {"esp", "es_ES"},  {"ess", "es_AR"},
    {"esb", "es_BO"},       {"esl", "es_CL"},  {"eso", "es_CO"},  {"esc", "es_CR"},
    {"esd", "es_DO"},       {"esf", "es_EC"},  {"ese", "es_SV"},  {"esg", "es_GT"},
    {"esh", "es_HN"},       {"esm", "es_MX"},  {"esi", "es_NI"},  {"esa", "es_PA"},
    {"esz", "es_PY"},       {"esr", "es_PE"},  {"esu", "es_PR"},  {"esn", "es_ES"},
    {"est", "es_US"},       {"esy", "es_UY"},  {"esv", "es_VE"},  {"sve", "sv_SE"},
    {"svf", "sv_FI"},       {"syr", "syr"},    {"taj", "tg_TJ"},  {"tmz", "ber_DZ"},
    {"tam", "ta_IN"},       {"ttt", "tt_RU"},  {"tel", "te_IN"},  {"tha", "th_TH"},
    {"bob", "bo_CN"},       {"trk", "tr_TR"},  {"tuk", "tk_TM"},  {"uig", "ug_CN"},
    {"ukr", "uk_UA"},       {"hsb", "hsb_DE"}, {"urd", "ur_PK"},  {"uzb", "uz_UZ"},
    {"vit", "vi_VN"},       {"cym", "cy_GB"},  {"wol", "wo_SN"},  {"sah", "sah_RU"},
    {"iii", "ii_CN"},       {"yor", "yo_NG"},
};

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// "sr_RS@latin" takes the codeset before the modifier.
std::string WithUtf8(const std::string& posix) {
    size_t at = posix.find('@');
    if (at == std::string::npos) return posix + ".UTF-8";
    return posix.substr(0, at) + ".UTF-8" + posix.substr(at);
}

uint32_t g_threadLocale = 0x0409;

}  // namespace

std::vector<std::string> PosixLocaleCandidates(std::string_view windowsName) {
    std::string name = Lower(windowsName);
    // English is also the C locale's language: numbers and dates keep the English form there.
    if (name == "english") return {"en_US.UTF-8", "en_GB.UTF-8", "C.UTF-8"};
    for (const LocaleAlias& alias : kAliases)
        if (name == alias.windowsName) return {WithUtf8(alias.posixName)};
    return {};
}

std::string SetRuntimeLocale(int category, const char* windowsName) {
    std::string_view name = windowsName ? windowsName : "";
    if (name.empty()) {
        const char* set = std::setlocale(category, "");
        return set ? set : "";
    }
    for (const std::string& candidate : PosixLocaleCandidates(name))
        if (const char* set = std::setlocale(category, candidate.c_str())) return set;
    return "";
}

void SetThreadLocale(uint32_t lcid) { g_threadLocale = lcid; }

uint32_t GetThreadLocale() { return g_threadLocale; }

}  // namespace platform
