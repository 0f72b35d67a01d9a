#include "bridge_frames.h"
#include "control_payloads.h"

#include <gtest/gtest.h>

using QelJSON::Json;

namespace {

Json parseText(const QString &text)
{
    return Json::parse(text.toStdString());
}

} // namespace

TEST(BridgeFrames, NewRequestHasSevenEmptyTextsAndBlankData)
{
    const Json object = QelJSON::toJSONObject(WSDCMsgJson{});
    EXPECT_EQ(object, Json::parse(R"({"Session":"","Code":"","Token":"","ClientID1":"","ClientID2":"",
        "ClientIDRemote":"","IsProcessOnBridge":"","Data":{"m":""}})"));
}

TEST(BridgeFrames, TextFormCarriesPayloadAsEscapedJsonString)
{
    LoginAccount login{QStringLiteral("a@b.cd"), QStringLiteral("pw\"x"), QStringLiteral("IPhone"),
                       QStringLiteral("0"), false, QStringLiteral("3.1.3"), QStringLiteral("IOS")};
    const QString payload = QelJSON::toJSONString(login);
    const QString text = BridgeFrames::frameText(BridgeFrames::makeTextFrame(FrameCode::Login, payload));

    EXPECT_TRUE(text.contains(QStringLiteral("\\\"Id_acc\\\"")))
        << "every quote of the payload text is escaped inside the string";
    const Json frame = parseText(text);
    EXPECT_EQ(frame.size(), 5u);
    EXPECT_EQ(frame.at("VType"), "WinContrlSet->");
    EXPECT_EQ(frame.at("UUID"), "");
    EXPECT_EQ(frame.at("Id_user1"), "");
    EXPECT_EQ(frame.at("Id_user2"), "");
    EXPECT_EQ(frame.at("Msg").size(), 2u);
    EXPECT_EQ(frame.at("Msg").at("Code"), "Login");
    ASSERT_TRUE(frame.at("Msg").at("Data").is_string());
    const Json inner = Json::parse(frame.at("Msg").at("Data").get<std::string>());
    EXPECT_EQ(inner, Json::parse(R"({"Id_acc":"a@b.cd","Password":"pw\"x","Device":"IPhone",
        "isCheckAccOnly":"0","Relogin":false,"Version":"3.1.3","Source":"IOS"})"));
}

TEST(BridgeFrames, ObjectFormNestsRequestWithoutEscaping)
{
    WSDCMsgJson request;
    request.Code = QStringLiteral("CallHttp");
    request.Token = QStringLiteral("P2PClient1-X");
    request.IsProcessOnBridge = QStringLiteral("-");
    request.Data = CallHttpInfo{QStringLiteral("http://127.0.0.1/x"), 5};
    const Json frame = parseText(BridgeFrames::frameText(BridgeFrames::makeObjectFrame(FrameCode::P2PClientControl, request)));

    EXPECT_EQ(frame.at("Msg").at("Code"), "P2PClientControl");
    const Json &data = frame.at("Msg").at("Data");
    ASSERT_TRUE(data.is_object());
    EXPECT_EQ(data.at("Code"), "CallHttp");
    EXPECT_EQ(data.at("IsProcessOnBridge"), "-");
    EXPECT_EQ(data.at("Data"), Json::parse(R"({"URL":"http://127.0.0.1/x","Timeout":5})"));
}

TEST(BridgeFrames, NewMessageHasEmptyTextData)
{
    const Json object = QelJSON::toJSONObject(JsonMsg{});
    EXPECT_EQ(object, Json::parse(R"({"Code":"","Data":""})"));
}

TEST(ControlPayloads, RecordsUseTheirFieldNamesAndKinds)
{
    UploadTaskInfo task{QStringLiteral("A|B"), QStringLiteral("A"), QStringLiteral("B"),
                        {WorkingItem{5000000000LL, true, QStringLiteral("/x"), QStringLiteral("Z:\\x")}}};
    EXPECT_EQ(QelJSON::toJSONObject(task), Json::parse(R"({"Session":"A|B","ClientID1":"A","ClientID2":"B",
        "FileList":[{"Size":5000000000,"IsDir":true,"Path":"/x","PathSave":"Z:\\x"}]})"));
    EXPECT_EQ(QelJSON::toJSONObject(PreparingUploadInfo{QStringLiteral("t"), QStringLiteral("l"), QStringLiteral("Z:\\")}),
              Json::parse(R"({"Targets":"t","LocalRootPath":"l","RemoteSaveRootPath":"Z:\\"})"));
    EXPECT_EQ(QelJSON::toJSONObject(Trans2_FS_00_CallStartInfo{QStringLiteral("s"), QStringLiteral("t"), QStringLiteral("r")}),
              Json::parse(R"({"Session":"s","Targets":"t","RemotePathRoot":"r"})"));
    EXPECT_EQ(QelJSON::toJSONObject(CallHttpDownloadInfo{QStringLiteral("u"), QStringLiteral("/s")}),
              Json::parse(R"({"URL":"u","SaveAt":"/s"})"));
    EXPECT_EQ(QelJSON::toJSONObject(ClientInitJson{QStringLiteral("tok"), QStringLiteral("h"), QStringLiteral("t"), QStringLiteral("p")}),
              Json::parse(R"({"Id_user":"tok","Hostname":"h","Hosttag":"t","Hostpassword":"p"})"));
}
