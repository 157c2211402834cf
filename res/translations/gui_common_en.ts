<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>qx::CMyListCtrl</name>
    <message>
        <source>内容</source>
        <translation>Value</translation>
    </message>
</context>
<context>
    <name>qx::Prompter</name>
    <message>
        <source>QX软件</source>
        <translation>QX Logger</translation>
    </message>
    <message>
        <source>确定(&amp;O)</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>取消(&amp;C)</source>
        <translation>&amp;Cancel</translation>
    </message>
</context>
</TS>
