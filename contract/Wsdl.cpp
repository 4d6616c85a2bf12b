#include "Wsdl.h"

#include "SoapCodec.h"

#include <QStringList>

namespace {

// Every field is optional on the wire: readers of either side treat a missing field as empty.
QString field(const char *name, const char *type) {
    return QStringLiteral("<s:element minOccurs=\"0\" maxOccurs=\"1\" name=\"%1\" type=\"%2\"/>")
        .arg(QLatin1String(name), QLatin1String(type));
}

QString record(const char *name, std::initializer_list<std::pair<const char *, const char *>> fields) {
    QString out = QStringLiteral("<s:complexType name=\"%1\"><s:sequence>").arg(QLatin1String(name));
    for (const auto &[fieldName, type] : fields) {
        out += field(fieldName, type);
    }
    return out + QStringLiteral("</s:sequence></s:complexType>");
}

const char *const kTypes = R"(
<s:complexType name="ArrayOfTPictureInfo"><s:sequence>
<s:element minOccurs="0" maxOccurs="unbounded" name="TPictureInfo" nillable="true" type="tns:TPictureInfo"/>
</s:sequence></s:complexType>
<s:complexType name="ArrayOfString"><s:sequence>
<s:element minOccurs="0" maxOccurs="unbounded" name="string" nillable="true" type="s:string"/>
</s:sequence></s:complexType>
<s:element name="Header" type="tns:Header"/>
)";

struct OperationShape {
    Soap::Operation op;
    std::initializer_list<std::pair<const char *, const char *>> parameters;
    const char *result;
};

const OperationShape kOperations[] = {
    {Soap::Operation::GetCompanyPhotoList, {}, "tns:TPicResultInfo"},
    {Soap::Operation::GetCompanyPhoto,
     {{"aPhotoId", "s:string"}, {"aFlag", "s:string"}},
     "tns:TPicResultInfo"},
    {Soap::Operation::InsertCompanyPhoto, {{"aPicInfo", "tns:TPictureInfo"}}, "tns:TPicResultInfo"},
    {Soap::Operation::UpdateCompanyPhoto, {{"aPicInfo", "tns:TPictureInfo"}}, "tns:TPicResultInfo"},
    {Soap::Operation::DeleteCompanyPhoto, {{"aPhotoId", "s:string"}}, "tns:TPicResultInfo"},
    {Soap::Operation::ValidateUserLogin, {}, "tns:TUserInfo"},
    {Soap::Operation::QueryCompanyInfo, {}, "tns:TCompanyInfo"},
};

QString schema() {
    QString s = QStringLiteral("<s:schema elementFormDefault=\"qualified\" targetNamespace=\"%1\">")
                    .arg(QLatin1String(kServiceNamespace));
    s += record("Header", {{"F_CUSTOMERID", "s:string"},
                           {"F_SOFTWAREID", "s:string"},
                           {"F_DEVICECODE", "s:string"},
                           {"F_COMPANYTYPE", "s:string"},
                           {"F_VERSIONNUM", "s:string"}});
    s += record("TPictureInfo", {{"F_ID", "s:string"},
                                 {"F_COMPANYID", "s:string"},
                                 {"F_PHOTO", "s:base64Binary"},
                                 {"F_SMALLPHOTO", "s:base64Binary"},
                                 {"F_BUSFLAG", "s:string"},
                                 {"F_FLAG", "s:string"},
                                 {"F_MEMO", "s:string"},
                                 {"F_INPUTTIME", "s:string"},
                                 {"F_ISEXISTS", "s:string"}});
    s += record("TPicResultInfo", {{"F_OPERRESULT", "s:string"},
                                   {"F_MAXNUMBER", "s:int"},
                                   {"F_ZOOMWDITH", "s:int"},
                                   {"F_ZOOMHEIGHT", "s:int"},
                                   {"F_PICLIST", "tns:ArrayOfTPictureInfo"},
                                   {"F_FLAGLIST", "tns:ArrayOfString"},
                                   {"F_PHOTO", "s:base64Binary"},
                                   {"F_FLAG", "s:int"}});
    s += record("TUserInfo", {{"F_OPERRESULT", "s:string"},
                              {"F_USERID", "s:string"},
                              {"F_USERNAME", "s:string"},
                              {"F_ORGID", "s:string"},
                              {"F_ORGNAME", "s:string"},
                              {"F_LOGINDATE", "s:string"}});
    s += record("TCompanyInfo", {{"F_OPERRESULT", "s:string"},
                                 {"F_COMPANYTYPE", "s:string"},
                                 {"F_COMPANYNAME", "s:string"},
                                 {"F_CUSTOMERID", "s:string"},
                                 {"F_SOFTWAREID", "s:string"},
                                 {"F_DEVICEID", "s:string"}});
    s += QString::fromLatin1(kTypes);
    // The wrapper elements: "<op>" holds the parameters, "<op>Response" holds "<op>Result".
    for (const OperationShape &shape : kOperations) {
        const QString name = Soap::OperationName(shape.op);
        s += QStringLiteral("<s:element name=\"%1\"><s:complexType><s:sequence>").arg(name);
        for (const auto &[parameter, type] : shape.parameters) {
            s += field(parameter, type);
        }
        s += QStringLiteral("</s:sequence></s:complexType></s:element>");
        s += QStringLiteral("<s:element name=\"%1Response\"><s:complexType><s:sequence>"
                            "<s:element minOccurs=\"0\" maxOccurs=\"1\" name=\"%1Result\" type=\"%2\"/>"
                            "</s:sequence></s:complexType></s:element>")
                 .arg(name, QLatin1String(shape.result));
    }
    return s + QStringLiteral("</s:schema>");
}

QString messages() {
    QString s;
    for (const OperationShape &shape : kOperations) {
        const QString name = Soap::OperationName(shape.op);
        s += QStringLiteral(
                 "<wsdl:message name=\"%1SoapIn\"><wsdl:part name=\"parameters\" element=\"tns:%1\"/>"
                 "</wsdl:message>"
                 "<wsdl:message name=\"%1SoapOut\"><wsdl:part name=\"parameters\" "
                 "element=\"tns:%1Response\"/></wsdl:message>"
                 "<wsdl:message name=\"%1Header\"><wsdl:part name=\"Header\" element=\"tns:Header\"/>"
                 "</wsdl:message>")
                 .arg(name);
    }
    return s;
}

QString portType() {
    QString s = QStringLiteral("<wsdl:portType name=\"MORA-PictureServiceSoap\">");
    for (const OperationShape &shape : kOperations) {
        s += QStringLiteral("<wsdl:operation name=\"%1\"><wsdl:input message=\"tns:%1SoapIn\"/>"
                            "<wsdl:output message=\"tns:%1SoapOut\"/></wsdl:operation>")
                 .arg(Soap::OperationName(shape.op));
    }
    return s + QStringLiteral("</wsdl:portType>");
}

QString binding() {
    QString s =
        QStringLiteral("<wsdl:binding name=\"MORA-PictureServiceSoap\" type=\"tns:MORA-PictureServiceSoap\">"
                       "<soap:binding transport=\"http://schemas.xmlsoap.org/soap/http\"/>");
    for (const OperationShape &shape : kOperations) {
        const QString name = Soap::OperationName(shape.op);
        QString action = QString::fromLatin1(Soap::SoapAction(shape.op));
        action.remove(QLatin1Char('"'));
        s += QStringLiteral(
                 "<wsdl:operation name=\"%1\">"
                 "<soap:operation soapAction=\"%2\" style=\"document\"/>"
                 "<wsdl:input><soap:body use=\"literal\"/>"
                 "<soap:header message=\"tns:%1Header\" part=\"Header\" use=\"literal\"/></wsdl:input>"
                 "<wsdl:output><soap:body use=\"literal\"/></wsdl:output>"
                 "</wsdl:operation>")
                 .arg(name, action);
    }
    return s + QStringLiteral("</wsdl:binding>");
}

QString escaped(const QString &text) {
    return text.toHtmlEscaped();
}

} // namespace

QByteArray BuildWsdl(const QString &location) {
    QString s = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                               "<wsdl:definitions xmlns:soap=\"http://schemas.xmlsoap.org/wsdl/soap/\""
                               " xmlns:s=\"http://www.w3.org/2001/XMLSchema\""
                               " xmlns:tns=\"%1\" targetNamespace=\"%1\""
                               " xmlns:wsdl=\"http://schemas.xmlsoap.org/wsdl/\">")
                    .arg(QLatin1String(kServiceNamespace));
    s += QStringLiteral("<wsdl:types>") + schema() + QStringLiteral("</wsdl:types>");
    s += messages() + portType() + binding();
    s += QStringLiteral("<wsdl:service name=\"MORA-PictureService\">"
                        "<wsdl:port name=\"MORA-PictureServiceSoap\" binding=\"tns:MORA-PictureServiceSoap\">"
                        "<soap:address location=\"%1\"/></wsdl:port></wsdl:service></wsdl:definitions>\n")
             .arg(escaped(location));
    return s.toUtf8();
}
