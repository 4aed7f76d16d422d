#include "export/scorm_package.h"

#include <zip.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "export/html_export.h"

namespace {
// XML 1.0 takes no control character but tab and the line ends, and the
// platform shows a title on one line.
std::string XmlText(const std::string& text) {
    std::string clean;
    for (const char c : text)
        clean += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    return HtmlEscaped(clean);
}

std::string Decimal(int percent) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%02d", percent / 100, percent % 100);
    return text;
}

struct CZipSourceFree {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};

std::string ZipError(zip_error_t* error) {
    return std::string("the package cannot be made: ") + zip_error_strerror(error);
}
} // namespace

std::string ScormManifest(const std::string& title, int questions, const std::string& identifier,
                          const CScormOptions& options) {
    const std::string name = XmlText(title);
    const bool is12 = options.version == EScormVersion::Scorm12;
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    if (is12) {
        xml += "<manifest identifier=\"" + identifier +
               "\" version=\"1.0\"\n"
               "    xmlns=\"http://www.imsproject.org/xsd/imscp_rootv1p1p2\"\n"
               "    xmlns:adlcp=\"http://www.adlnet.org/xsd/adlcp_rootv1p2\"\n"
               "    xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
               "    xsi:schemaLocation=\"http://www.imsproject.org/xsd/imscp_rootv1p1p2 "
               "imscp_rootv1p1p2.xsd http://www.imsglobal.org/xsd/imsmd_rootv1p2p1 "
               "imsmd_rootv1p2p1.xsd http://www.adlnet.org/xsd/adlcp_rootv1p2 "
               "adlcp_rootv1p2.xsd\">\n"
               "  <metadata>\n    <schema>ADL SCORM</schema>\n"
               "    <schemaversion>1.2</schemaversion>\n  </metadata>\n";
    } else {
        xml += "<manifest identifier=\"" + identifier +
               "\" version=\"1.0\"\n"
               "    xmlns=\"http://www.imsglobal.org/xsd/imscp_v1p1\"\n"
               "    xmlns:adlcp=\"http://www.adlnet.org/xsd/adlcp_v1p3\"\n"
               "    xmlns:adlseq=\"http://www.adlnet.org/xsd/adlseq_v1p3\"\n"
               "    xmlns:adlnav=\"http://www.adlnet.org/xsd/adlnav_v1p3\"\n"
               "    xmlns:imsss=\"http://www.imsglobal.org/xsd/imsss\"\n"
               "    xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
               "    xsi:schemaLocation=\"http://www.imsglobal.org/xsd/imscp_v1p1 imscp_v1p1.xsd "
               "http://www.adlnet.org/xsd/adlcp_v1p3 adlcp_v1p3.xsd "
               "http://www.adlnet.org/xsd/adlseq_v1p3 adlseq_v1p3.xsd "
               "http://www.adlnet.org/xsd/adlnav_v1p3 adlnav_v1p3.xsd "
               "http://www.imsglobal.org/xsd/imsss imsss_v1p0.xsd\">\n"
               "  <metadata>\n    <schema>ADL SCORM</schema>\n"
               "    <schemaversion>2004 4th Edition</schemaversion>\n  </metadata>\n";
    }
    xml += "  <organizations default=\"torvi-organization\">\n"
           "    <organization identifier=\"torvi-organization\">\n"
           "      <title>" +
           name +
           "</title>\n"
           "      <item identifier=\"torvi-quiz\" identifierref=\"torvi-page\">\n"
           "        <title>" +
           name + "</title>\n";
    if (options.passingPercent && is12) {
        xml += "        <adlcp:masteryscore>" + Scorm12MasteryScore(*options.passingPercent, questions) +
               "</adlcp:masteryscore>\n";
    } else if (options.passingPercent) {
        // The platform's scaled passing score: the score (right answers of all
        // questions, 0 to 1) that satisfies the quiz's objective.
        xml += "        <imsss:sequencing>\n"
               "          <imsss:objectives>\n"
               "            <imsss:primaryObjective objectiveID=\"torvi-passing\" "
               "satisfiedByMeasure=\"true\">\n"
               "              <imsss:minNormalizedMeasure>" +
               Decimal(*options.passingPercent) +
               "</imsss:minNormalizedMeasure>\n"
               "            </imsss:primaryObjective>\n"
               "          </imsss:objectives>\n"
               "        </imsss:sequencing>\n";
    }
    xml += "      </item>\n    </organization>\n  </organizations>\n  <resources>\n";
    xml += std::string("    <resource identifier=\"torvi-page\" type=\"webcontent\" ") +
           (is12 ? "adlcp:scormtype" : "adlcp:scormType") + "=\"sco\" href=\"" +
           kScormLaunchFile + "\">\n      <file href=\"" + kScormLaunchFile +
           "\"/>\n    </resource>\n  </resources>\n</manifest>\n";
    return xml;
}

bool MakeScormPackage(const std::string& page, const std::string& title, int questions,
                      const CScormOptions& options, std::string& zip, std::string& error) {
    // The same quiz gives the same identifier, so a platform sees a package
    // made again as the same activity.
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : page) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    char identifier[32];
    std::snprintf(identifier, sizeof identifier, "torvi-%016llx",
                  static_cast<unsigned long long>(hash));
    const std::string manifest = ScormManifest(title, questions, identifier, options);

    // The zip is made in memory and handed back, so that it reaches the disk
    // as every other output does.
    zip_error_t zipError;
    zip_error_init(&zipError);
    std::unique_ptr<zip_source_t, CZipSourceFree> buffer(
        zip_source_buffer_create(nullptr, 0, 0, &zipError));
    zip_t* archive = buffer ? zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &zipError) : nullptr;
    if (!archive) {
        error = ZipError(&zipError);
        zip_error_fini(&zipError);
        return false;
    }
    zip_source_keep(buffer.get());
    const std::pair<const char*, const std::string*> files[] = {{"imsmanifest.xml", &manifest},
                                                                {kScormLaunchFile, &page}};
    for (const auto& [name, bytes] : files) {
        zip_source_t* source = zip_source_buffer(archive, bytes->data(), bytes->size(), 0);
        const zip_int64_t index =
            source ? zip_file_add(archive, name, source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            zip_source_free(source);
            error = std::string("the package cannot be made: ") + zip_strerror(archive);
            zip_discard(archive);
            return false;
        }
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 9);
    }
    if (zip_close(archive) != 0) {
        error = std::string("the package cannot be made: ") + zip_strerror(archive);
        zip_discard(archive);
        return false;
    }

    zip_stat_t stat;
    if (zip_source_stat(buffer.get(), &stat) != 0 || zip_source_open(buffer.get()) != 0) {
        error = ZipError(zip_source_error(buffer.get()));
        return false;
    }
    zip.resize(static_cast<size_t>(stat.size));
    const zip_int64_t read = zip_source_read(buffer.get(), zip.data(), zip.size());
    zip_source_close(buffer.get());
    if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size) {
        error = "the package cannot be made: its zip could not be read back";
        return false;
    }
    return true;
}
