#include "shortcuts/ReadMe.h"

namespace orvanto {

QString ReadMeTitle() {
    return QStringLiteral("Orvanto Live TV");
}

// One paragraph, kept exactly as written: blanks, dots and spelling included. Each line but
// the last ends with a blank.
const QString& ReadMeText() {
    static const QString text = QStringLiteral(
        "opos tha dite i nea aytoi version ergazete diaforetika apo tis "
        "prohgoumenes...katarxin prepi na sas poume oti emis den ekpempoume kanalia ola "
        "eine stream apo diafores istoselides ensomatomena aplos sto programa "
        "ayto...patontas kapio kanali psaxni ta stream diladi pio eine energo kai pezoi "
        "an stamatisi sinexizoi me to epomeno..giayto prepi na perimenete arketa  "
        "deyterolepta!!!!!...kato apo tin othonoi tou player dixni ta stream...an den "
        "ergazete kanena sas erxete kapio mikro parathiro...oti to kanali den "
        "litourgoi..... .ta sport live pezoun mono otan yparxoun agones podosferou ... "
        "sta ADULT kanalia xriazeste passwort pou tha to parete stelnontas e-mail se "
        "mena...eine mono prostasia gia anilikous kato ton 18 xronon!!!...yparxoun kapia "
        "kanalia pou xriazonte to vohthitiko arxio ( silverlight) pou tha to katewasete "
        "apo tin Microsoft ,i patontas to Button dipla pou grafi silverlight");
    return text;
}

} // namespace orvanto
