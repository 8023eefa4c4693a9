#include "resources/default_files.h"

#include <filesystem>
#include <fstream>

namespace tonvel {

namespace {

// Instrument names, a separator line and drum-sound names, each line CR LF, then a NUL.
constexpr char kNames[] =
    "1\tAcoustic Grand Piano\r\n"
    "2\tBright Acoustic Piano\r\n"
    "3\tElectric Grand Piano\r\n"
    "4\tHonky-tonk Piano\r\n"
    "5\tRhodes Piano\r\n"
    "6\tChorused Piano\r\n"
    "7\tHarpsichord\r\n"
    "8\tClavinet\r\n"
    "9\tCelesta\r\n"
    "10\tGlockenspiel\r\n"
    "11\tMusic Box\r\n"
    "12\tVibraphone\r\n"
    "13\tMarimba\r\n"
    "14\tXylophone\r\n"
    "15\tTubular bells\r\n"
    "16\tDulcimer\r\n"
    "17\tDraw Organ\r\n"
    "18\tPercussive Organ\r\n"
    "19\tRock Organ\r\n"
    "20\tChurch Organ\r\n"
    "21\tReed Organ\r\n"
    "22\tAccordion\r\n"
    "23\tHarmonica\r\n"
    "24\tTango Accordion\r\n"
    "25\tAcoustic Nylon Guitar\r\n"
    "26\tAcoustic Steel Guitar\r\n"
    "27\tElectric Jazz Guitar\r\n"
    "28\tElectric clean Guitar\r\n"
    "29\tElectric Guitar muted\r\n"
    "30\tOverdriven Guitar\r\n"
    "31\tDistortion Guitar\r\n"
    "32\tGuitar Harmonics\r\n"
    "33\tWood Bass\r\n"
    "34\tElectric Bass Fingered\r\n"
    "35\tElectric Bass Picked\r\n"
    "36\tFretless Bass\r\n"
    "37\tSlap Bass 1\r\n"
    "38\tSlap Bass 2\r\n"
    "39\tSynth Bass 1\r\n"
    "40\tSynth Bass 2\r\n"
    "41\tViolin\r\n"
    "42\tViola\r\n"
    "43\tCello\r\n"
    "44\tContrabass\r\n"
    "45\tTremolo Strings\r\n"
    "46\tPizzicato Strings\r\n"
    "47\tOrchestral Harp\r\n"
    "48\tTimpani\r\n"
    "49\tAcoustic String Ensemble 1\r\n"
    "50\tAcoustic String Ensemble 2\r\n"
    "51\tSynth Strings 1\r\n"
    "52\tSynth Strings 2\r\n"
    "53\tAah Choir\r\n"
    "54\tOoh Choir\r\n"
    "55\tSynvox\r\n"
    "56\tOrchestra Hit\r\n"
    "57\tTrumpet\r\n"
    "58\tTrombone\r\n"
    "59\tTuba\r\n"
    "60\tMuted Trumpet\r\n"
    "61\tFrench Horn\r\n"
    "62\tBrass Section\r\n"
    "63\tSynth Brass 1\r\n"
    "64\tSynth Brass 2\r\n"
    "65\tSoprano Sax\r\n"
    "66\tAlto Sax\r\n"
    "67\tTenor Sax\r\n"
    "68\tBaritone Sax\r\n"
    "69\tOboe\r\n"
    "70\tEnglish Horn\r\n"
    "71\tBassoon\r\n"
    "72\tClarinet\r\n"
    "73\tPiccolo\r\n"
    "74\tFlute\r\n"
    "75\tRecorder\r\n"
    "76\tPan Flute\r\n"
    "77\tBottle blow\r\n"
    "78\tShakuhachi\r\n"
    "79\tWhistle\r\n"
    "80\tOcarina\r\n"
    "81\tSquare Lead\r\n"
    "82\tSaw Lead\r\n"
    "83\tCalliope\r\n"
    "84\tChiffer\r\n"
    "85\tSynth Lead 5\r\n"
    "86\tSynth Lead 6\r\n"
    "87\tSynth Lead 7\r\n"
    "88\tSynth Lead 8\r\n"
    "89\tSynth Pad 1\r\n"
    "90\tSynth Pad 2\r\n"
    "91\tSynth Pad 3\r\n"
    "92\tSynth Pad 4\r\n"
    "93\tSynth Pad 5\r\n"
    "94\tSynth Pad 6\r\n"
    "95\tSynth Pad 7\r\n"
    "96\tSynth Pad 8\r\n"
    "97\tIce Rain\r\n"
    "98\tSoundtracks\r\n"
    "99\tCrystal\r\n"
    "100\tAtmosphere\r\n"
    "101\tBright\r\n"
    "102\tGoblin\r\n"
    "103\tEchoes\r\n"
    "104\tSpace\r\n"
    "105\tSitar\r\n"
    "106\tBanjo\r\n"
    "107\tShamisen\r\n"
    "108\tKoto\r\n"
    "109\tKalimba\r\n"
    "110\tBagpipe\r\n"
    "111\tFiddle\r\n"
    "112\tShanai\r\n"
    "113\tTinkle bell\r\n"
    "114\tAgogo\r\n"
    "115\tSteel Drums\r\n"
    "116\tWoodblock\r\n"
    "117\tTaiko Drum\r\n"
    "118\tMelodic Tom\r\n"
    "119\tSynth Tom\r\n"
    "120\tReverse Cymbal\r\n"
    "121\tGuitar Fret Noise\r\n"
    "122\tBreath Noise\r\n"
    "123\tSeashore\r\n"
    "124\tBird Tweet\r\n"
    "125\tTelephone Ring\r\n"
    "126\tHelicopter\r\n"
    "127\tApplause\r\n"
    "128\tGunshot\r\n"
    "\r\n"
    "35\tAcoustic Bass Drum\r\n"
    "36\tBass Drum 1\r\n"
    "37\tSide Stick\r\n"
    "38\tAcoustic Snare\r\n"
    "39\tHand Clap\r\n"
    "40\tElectric Snare\r\n"
    "41\tLo Floor Tom\r\n"
    "42\tClosed Hi Hat\r\n"
    "43\tHi Floor Tom\r\n"
    "44\tPedal Hi Hat\r\n"
    "45\tLo Tom Tom\r\n"
    "46\tOpen Hi Hat\r\n"
    "47\tLow -Mid Tom Tom\r\n"
    "48\tHi Mid Tom Tom\r\n"
    "49\tCrash Cymbal 1\r\n"
    "50\tHi Tom Tom\r\n"
    "51\tRide Cymbal 1\r\n"
    "52\tChinese Cymbal\r\n"
    "53\tRide Bell\r\n"
    "54\tTambourine\r\n"
    "55\tSplash Cymbal\r\n"
    "56\tCowbell\r\n"
    "57\tCrash Cymbal 2\r\n"
    "58\tVibraslap\r\n"
    "59\tRide Cymbal 2\r\n"
    "60\tHi Bongo\r\n"
    "61\tLow Bongo\r\n"
    "62\tMute Hi Conga\r\n"
    "63\tOpen Hi Conga\r\n"
    "64\tLow Conga\r\n"
    "65\tHi Timbale\r\n"
    "66\tLo Timbale\r\n";

constexpr char kSettings[] =
    " 0             1             0 \r\n"
    " 18            19            10            7 \r\n"
    " 49            56            51            45            47            48            46       "
    "     42            44            37            36            40 \r\n";
constexpr char kLicence[] =
    "Tonvel 1.0\r\n"
    "\r\n"
    "Tonvel is free software. You may use, copy and give it away without charge.\r\n"
    "It comes with no warranty of any kind: use it at your own risk.\r\n";

}  // namespace

std::string_view defaultResource(int resourceId) {
    switch (resourceId) {
        case kResourceNames:
            return {kNames, sizeof kNames};  // the trailing NUL belongs to the file
        case kResourceLicence:
            return {kLicence, sizeof kLicence - 1};
        case kResourceSettings:
            return {kSettings, sizeof kSettings - 1};
        default:
            return {};
    }
}

void extractDefaultFile(int resourceId, const std::string& path) {
    std::error_code error;
    if (std::filesystem::exists(path, error) || error) return;
    const std::string_view bytes = defaultResource(resourceId);
    std::ofstream out(path, std::ios::binary);
    if (!out) return;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace tonvel
